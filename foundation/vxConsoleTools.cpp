// The logging console: log lines, levels and counters, the queue, and the
// log thread that writes daily files, syslog, SNMP traps and the console.
#include "foundation/vxConsoleTools.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

#include "core/vxConversion.h"
#include "core/vxDateTime.h"
#include "core/vxFiles.h"
#include "core/vxStrings.h"
#include "core/vxToolsEvo2.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/process/vxConsole.h"
#include "platform/snmp/vxSnmpTrap.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/time/vxDateUtils.h"

namespace {

struct TKindInfo {
  int32_t Level;
  TSyslogSeverity Severity;
  uint16_t Colour;
};

// By ordinal of TvxLogInfoType.
constexpr TKindInfo KindInfo[] = {
    {3, slInformational, 3},   // info
    {1, slError, 12},          // error
    {2, slWarning, 14},        // warning
    {3, slInformational, 10},  // success
    {4, slDebug, 7},           // debug
    {5, slDebug, 8},           // trace (never sent to syslog)
    {3, slInformational, 15},  // process
    {3, slInformational, 15},  // startup
    {3, slInformational, 15},  // shutdown
    {1, slCritical, 4},        // critical
    {2, slNotice, 15},         // note
    {3, slInformational, 15},  // user
    {3, slInformational, 15},  // verify
    {3, slInformational, 15},  // create
    {3, slInformational, 15},  // modify
    {3, slInformational, 15},  // delete
    {3, slInformational, 15},  // input
    {4, slInformational, 15},  // blob
    {4, slInformational, 15},  // meta
    {4, slInformational, 15},  // subject
    {3, slInformational, 15},  // register
    {3, slInformational, 15},  // import
    {3, slInformational, 15},  // export
    {4, slInformational, 15},  // unknown
};

const TKindInfo& Info(TvxLogInfoType Typ) {
  const size_t i = static_cast<size_t>(Typ);
  return KindInfo[i < std::size(KindInfo) ? i : static_cast<size_t>(vxLog_Unknown)];
}

void AppendDigits(ustring& out, int value, int width) {
  char16_t buffer[8];
  for (int i = width - 1; i >= 0; --i) {
    buffer[i] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  }
  out.append(buffer, static_cast<size_t>(width));
}

// "dd.mm.yy hh:nn:ss-zzz", the colons the locale's time separator.
ustring TimeStampText(TDateTime TimeStamp) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  vxRuntime::DecodeDateTime(TimeStamp, year, month, day, hour, minute, second, msec);
  const char16_t separator = FormatSettings().TimeSeparator;
  ustring out;
  out.reserve(21);
  AppendDigits(out, day, 2);
  out.push_back(u'.');
  AppendDigits(out, month, 2);
  out.push_back(u'.');
  AppendDigits(out, year % 100, 2);
  out.push_back(u' ');
  AppendDigits(out, hour, 2);
  out.push_back(separator);
  AppendDigits(out, minute, 2);
  out.push_back(separator);
  AppendDigits(out, second, 2);
  out.push_back(u'-');
  AppendDigits(out, msec, 3);
  return out;
}

ustring ShortAddress(const ustring& Address, bool Shorten) {
  return Shorten && Address.size() > 15 ? Address.substr(0, 12) + u"..." : Address;
}

// The kind cut to 10 characters and filled with dots to 10.
ustring DottedType(const ustring& Typ) {
  ustring typ = Typ.substr(0, 10);
  typ.append(10 - typ.size(), u'.');
  return typ;
}

ustring PaddedAddress(const ustring& Address) {
  ustring address = Address;
  if (address.size() < 15) address.append(15 - address.size(), u' ');
  return address;
}

// "yyyy-mm-dd hh:nn:ss" with colons whatever the locale (a wire format).
ustring IsoDateTime(TDateTime Value) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  vxRuntime::DecodeDateTime(Value, year, month, day, hour, minute, second, msec);
  ustring out;
  AppendDigits(out, year, 4);
  out.push_back(u'-');
  AppendDigits(out, month, 2);
  out.push_back(u'-');
  AppendDigits(out, day, 2);
  out.push_back(u' ');
  AppendDigits(out, hour, 2);
  out.push_back(u':');
  AppendDigits(out, minute, 2);
  out.push_back(u':');
  AppendDigits(out, second, 2);
  return out;
}

std::string ErrnoCode(int error) { return std::to_string(error); }

// 1-based position of c in s, 0 when absent.
size_t PosOf(char16_t c, const ustring& s) {
  const size_t p = s.find(c);
  return p == ustring::npos ? 0 : p + 1;
}
// The text before the first c (empty when there is none).
ustring Before(char16_t c, const ustring& s) {
  const size_t p = PosOf(c, s);
  return p == 0 ? ustring() : s.substr(0, p - 1);
}
// s without its first Count characters.
void DropFront(ustring& s, size_t Count) { s.erase(0, std::min(Count, s.size())); }

int32_t TimePart(const ustring& TimeText, size_t From, size_t Count) {
  const ustring part = vxRuntime::Copy(TimeText, static_cast<long long>(From), static_cast<long long>(Count));
  const int64_t value = TvxConversion::StrToInt(part, -1);
  return value < INT32_MIN || value > INT32_MAX ? -1 : static_cast<int32_t>(value);
}

}  // namespace

// ---- levels and texts ---------------------------------------------------

int32_t TvxConsoleTools::MinimumLevel(TvxLogInfoType Typ) { return Info(Typ).Level; }
bool TvxConsoleTools::PassesLevel(TvxLogInfoType Typ, int32_t Level) { return Level >= 5 || Level >= MinimumLevel(Typ); }
TSyslogSeverity TvxConsoleTools::SyslogSeverity(TvxLogInfoType Typ) { return Info(Typ).Severity; }
uint16_t TvxConsoleTools::ConsoleColour(TvxLogInfoType Typ) { return Info(Typ).Colour; }

ustring TvxConsoleTools::GetLogTypeText(TvxLogInfoType Typ) { return TvxTypes::GetLogTypeText(Typ); }
TvxLogInfoType TvxConsoleTools::GetLogTypeFromText(const ustring& Typ) { return TvxTypes::GetLogTypeFromText(Typ); }

TvxLogInfoType TvxConsoleTools::SelectLogType(bool Selection, TvxLogInfoType LogTypeTrue,
                                              TvxLogInfoType LogTypeFalse) const {
  return Selection ? LogTypeTrue : LogTypeFalse;
}

namespace {

// The message on one line: line breaks as blanks, a lone CR too (the
// readers of the file end a line at any CR or LF).
ustring OneLine(const ustring& Msg) {
  ustring line = TvxStrings::Breaks2BlanksW(Msg);
  std::replace(line.begin(), line.end(), u'\r', u' ');
  return line;
}

}  // namespace

ustring TvxConsoleTools::CreateLogTextW(const ustring& Typ, const ustring& Msg, TDateTime TimeStamp,
                                        const ustring& Address, bool ShortenIPV6Address) {
  ustring line = TimeStampText(TimeStamp);
  line.push_back(u' ');
  line += PaddedAddress(ShortAddress(Address, ShortenIPV6Address));
  line.push_back(u' ');
  line += DottedType(Typ);
  line += u": ";
  line += OneLine(Msg);
  return line;
}

ustring TvxConsoleTools::CreateLogTextW(TvxLogInfoType Typ, const ustring& Msg, TDateTime TimeStamp,
                                        const ustring& Address, bool ShortenIPV6Address) {
  return CreateLogTextW(GetLogTypeText(Typ), Msg, TimeStamp, Address, ShortenIPV6Address);
}

std::string TvxConsoleTools::CreateLogText(const ustring& Typ, const ustring& Msg, TDateTime TimeStamp,
                                           const ustring& Address, bool ShortenIPV6Address) {
  std::string line = WideToAnsi(TimeStampText(TimeStamp) + u" " +
                                PaddedAddress(ShortAddress(Address, ShortenIPV6Address)) + u" ");
  // Kind and message in real UTF-8: a character beyond the basic plane is
  // one four-byte sequence.
  line += WideToUtf8(DottedType(Typ));
  line += ": ";
  line += WideToUtf8(OneLine(Msg));
  return line;
}

std::string TvxConsoleTools::CreateLogText(TvxLogInfoType Typ, const ustring& Msg, TDateTime TimeStamp,
                                           const ustring& Address, bool ShortenIPV6Address) {
  return CreateLogText(GetLogTypeText(Typ), Msg, TimeStamp, Address, ShortenIPV6Address);
}

// ---- the console ----------------------------------------------------------

TvxConsoleTools::TvxConsoleTools(bool GMTDateTime, TClock Clock) : FClock(std::move(Clock)) {
  UseGMTDateTime = GMTDateTime;
  LogTimeStampLen = static_cast<uint8_t>(TimeStampText(0).size());
  ConnectionString = TvxVarlo::GetConnectionString(false);
  const ustring executable = TvxFiles::ExtractPureFileName(vxSystemInfo::ExecutablePath());
  LogFile = TvxVarlo::GetLogPath() + executable;
  MutexName = executable;
  ServerName = TvxVarlo::GetProgramName();
  ServerTechName = TvxVarlo::GetProgramTechName();
  StartDate = LogNow();
  const TDateTime today = std::floor(LocalNow());
  CheckDate = today;
  LogFileDate = today;
  LogFileNumber = FindLogFileNumber();
  ActiveLogFile = GetLogFileName();
  LogThread = std::make_unique<TvxLogThread>(*this);
}

TvxConsoleTools::~TvxConsoleTools() {
  // The thread's last pass writes what is still queued.
  if (LogThread) LogThread->Terminate();
  LogThread.reset();
}

TDateTime TvxConsoleTools::LocalNow() const { return FClock ? FClock() : vxRuntime::Now(); }

TDateTime TvxConsoleTools::LogNow() const {
  const TDateTime local = LocalNow();
  if (!UseGMTDateTime) return local;
  return local + vxRuntime::TimeZoneBiasAt(local) / static_cast<double>(vxRuntime::MinsPerDay);
}

ustring TvxConsoleTools::Log(TvxLogInfoType Typ, const ustring& Msg, const ustring& Address, TDateTime TimeStamp,
                             TvxLogOriginType Origin) {
  return Log(GetLogTypeText(Typ), Msg, Address, TimeStamp, Origin);
}

ustring TvxConsoleTools::Log(const ustring& Typ, const ustring& Msg, const ustring& Address, TDateTime TimeStamp,
                             TvxLogOriginType /*Origin: accepted, no effect*/) {
  ustring result;
  try {
    Message = ustring();
    LogCount.fetch_add(1);
    ustring typ = LowerStrW(Typ);
    TvxLogInfoType kind = GetLogTypeFromText(typ);
    const TDateTime stamp = TimeStamp == 0 ? LogNow() : TimeStamp;
    CheckErrWarnReset();
    if (kind == vxLog_Error) {
      const ustring upper = UpperStrW(Msg);
      if (upper.find(u"ACCESS VIOLATION") != ustring::npos || upper.find(u"ZUGRIFFSVERLETZUNG") != ustring::npos ||
          upper.find(u"VIOLAZIONE DI ACCESSO") != ustring::npos) {
        kind = vxLog_Critical;
        typ = u"critical";
      }
    }
    switch (kind) {
      case vxLog_Error:
        ++isysErrors;
        ++isysErrorsToday;
        break;
      case vxLog_Warning:
        ++isysWarnings;
        ++isysWarningsToday;
        break;
      case vxLog_Critical:
        ++isysCriticals;
        ++isysCriticalsToday;
        break;
      default:
        break;
    }
    if (!PassesLevel(kind, LogLevel)) return result;
    result = CreateLogTextW(typ, Msg, stamp, Address, false);
    TvxLogRecord record;
    record.TimeStamp = stamp;
    record.Address = Address;
    record.LogInfoType = kind;
    record.LogType = typ;
    record.Text = Msg;
    record.User = u"SYSTEM";
    const int32_t maxLines = MaxIntLog;
    std::lock_guard<std::mutex> lock(LogLock);
    LogQueue.push_back(std::move(record));
    IntLog.Add(result);
    if (IntLog.Count() > maxLines) IntLog.Delete(0);
    if (kind == vxLog_Error || kind == vxLog_Critical) {
      IntErrorLog.Add(result);
      if (IntErrorLog.Count() > maxLines) IntErrorLog.Delete(0);
    }
  } catch (const std::exception&) {
    // Logging never raises into the caller; the line is still returned.
  }
  return result;
}

bool TvxConsoleTools::CheckErrWarnReset() {
  const TDateTime today = std::floor(LocalNow());
  TDateTime seen = CheckDate.load();
  if (seen == today || !CheckDate.compare_exchange_strong(seen, today)) return false;
  isysErrorsToday = 0;
  isysWarningsToday = 0;
  isysCriticalsToday = 0;
  return true;
}

uint32_t TvxConsoleTools::SysErrors() {
  CheckErrWarnReset();
  return isysErrors;
}
uint32_t TvxConsoleTools::SysWarnings() {
  CheckErrWarnReset();
  return isysWarnings;
}
uint32_t TvxConsoleTools::SysCriticals() {
  CheckErrWarnReset();
  return isysCriticals;
}
uint32_t TvxConsoleTools::SysErrorsToday() {
  CheckErrWarnReset();
  return isysErrorsToday;
}
uint32_t TvxConsoleTools::SysWarningsToday() {
  CheckErrWarnReset();
  return isysWarningsToday;
}
uint32_t TvxConsoleTools::SysCriticalsToday() {
  CheckErrWarnReset();
  return isysCriticalsToday;
}

uint32_t TvxConsoleTools::GetServiceUpTime() {
  const double seconds = std::floor((LogNow() - StartDate.load()) * vxRuntime::SecsPerDay + 1e-6);
  if (!(seconds >= 1)) return 1;
  return seconds > 4294967295.0 ? 4294967295u : static_cast<uint32_t>(seconds);
}

bool TvxConsoleTools::ClearIntLog() {
  try {
    std::lock_guard<std::mutex> lock(LogLock);
    IntLog.Clear();
    IntErrorLog.Clear();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<TvxLogRecord> TvxConsoleTools::TakeLogQueue() {
  std::vector<TvxLogRecord> taken;
  std::lock_guard<std::mutex> lock(LogLock);
  taken.swap(LogQueue);
  return taken;
}

void TvxConsoleTools::WStringStatusCallbackProc(const ustring& CurNode) { Log(u"status", CurNode, u"localhost", 0); }

void TvxConsoleTools::WStringLogCallbackProc(const ustring& Typ, const ustring& Msg) {
  Log(AnsiToWide(WideToAnsi(Typ)), Msg, u"localhost", 0);
}

// ---- log files --------------------------------------------------------------

namespace {

ustring FileNameFor(const ustring& LogFile, TDateTime Date, int32_t Number) {
  int year = 0, month = 0, day = 0;
  vxRuntime::DecodeDate(Date, year, month, day);
  ustring name = LogFile + u"-";
  AppendDigits(name, year, 4);
  AppendDigits(name, month, 2);
  AppendDigits(name, day, 2);
  if (Number > 0) {
    const std::string n = std::to_string(Number);
    name += u"-" + ustring(n.begin(), n.end());
  }
  return name + u".txt";
}

}  // namespace

ustring TvxConsoleTools::GetLogFileName() const { return FileNameFor(LogFile, LogNow(), LogFileNumber); }

int32_t TvxConsoleTools::FindLogFileNumber() const {
  const ustring base = LogFile;
  const TDateTime now = LogNow();
  int32_t n = 0;
  while (n < INT32_MAX && TvxFiles::FileExists(FileNameFor(base, now, n))) ++n;
  return std::max(n - 1, 0);
}

// ---- reading log lines ------------------------------------------------------

TvxLogRecord TvxConsoleTools::ParseLogLineW(const ustring& Line) {
  TvxLogRecord result;
  const size_t angle = PosOf(u'<', Line);
  const bool older = angle >= 1 && angle <= 29;
  ustring rest = Line;
  const ustring dateText = Before(u' ', rest);
  DropFront(rest, PosOf(u' ', rest));
  const ustring timeText = Before(u' ', rest);
  ustring address, kindText;
  if (!older) {
    DropFront(rest, PosOf(u' ', rest));
    address = Before(u' ', rest);
    DropFront(rest, PosOf(u' ', rest));
    ustring kind = Before(u':', rest);
    kind.erase(std::remove(kind.begin(), kind.end(), u'.'), kind.end());
    kindText = vxRuntime::Trim(kind);
    const size_t colon = PosOf(u':', rest);
    DropFront(rest, colon == 0 ? 0 : colon + 1);
  } else {
    DropFront(rest, PosOf(u'<', rest));
    address = Before(u'>', rest);
    const size_t close = PosOf(u'>', rest);
    DropFront(rest, close == 0 ? 0 : close + 1);
    kindText = Before(u'.', rest);
    const size_t colon = PosOf(u':', rest);
    DropFront(rest, colon == 0 ? 0 : colon + 1);
  }
  const TDateTime date =
      TvxDateTime::StrToDateExt(dateText, std::vector<ustring>{older ? u"dd.mm.yyyy" : u"dd.mm.yy"}, 0);
  const TDateTime time = vxRuntime::EncodeTime(TimePart(timeText, 1, 2), TimePart(timeText, 4, 2),
                                               TimePart(timeText, 7, 2), TimePart(timeText, 10, 3));
  result.TimeStamp = date + time;
  result.Address = address;
  result.LogInfoType = GetLogTypeFromText(kindText);
  result.LogType = LowerStrW(kindText);
  result.Text = vxRuntime::Trim(rest);
  return result;
}

TvxLogRecord TvxConsoleTools::ParseLogLine(const std::string& Line) {
  // Byte for byte into code units, so the positions stay; the message is
  // decoded afterwards.
  ustring wide(Line.size(), u'\0');
  std::transform(Line.begin(), Line.end(), wide.begin(),
                 [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
  TvxLogRecord record = ParseLogLineW(wide);
  std::string bytes(record.Text.size(), '\0');
  std::transform(record.Text.begin(), record.Text.end(), bytes.begin(),
                 [](char16_t c) { return static_cast<char>(c); });
  // Log files are written in the system code page (Windows-1252, whose
  // bytes 0x80 to 0x9F are no Latin-1 characters) or in UTF-8.
  record.Text = IsUtf8(bytes) ? Utf8ToWide(bytes) : AnsiToWide(bytes);
  return record;
}

bool TvxConsoleTools::ParseLogFile(const ustring& LogFile, TStrings& LogList, int32_t MaxRecords, int32_t Level) {
  if (!TvxFiles::FileExists(LogFile)) return false;
  vxFileSystem::TFileHandle file = vxFileSystem::TFileHandle::Open(LogFile, fmOpenRead | fmShareDenyNone);
  if (!file.Valid()) EOSError::RaiseLastOSError();
  std::string content, buffer(65536, '\0');
  for (;;) {
    const ssize_t got = file.Read(buffer.data(), buffer.size());
    if (got < 0) EOSError::RaiseLastOSError();
    if (got == 0) break;
    content.append(buffer.data(), static_cast<size_t>(got));
  }
  int32_t taken = 0;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find_first_of("\r\n", start);
    if (end == std::string::npos) end = content.size();
    const std::string line = content.substr(start, end - start);
    start = end;
    if (start < content.size() && content[start] == '\r') ++start;
    if (start < content.size() && content[start] == '\n') ++start;
    const TvxLogRecord record = ParseLogLine(line);
    int32_t level = 3;
    switch (record.LogInfoType) {
      case vxLog_Error:
      case vxLog_Critical: level = 1; break;
      case vxLog_Warning: level = 2; break;
      case vxLog_Debug: level = 4; break;
      case vxLog_Trace: level = 5; break;
      default: break;
    }
    if (level > Level) continue;
    LogList.Add(record.Text);
    ++taken;
    if (MaxRecords > 0 && taken >= MaxRecords) break;
  }
  return true;
}

// ---- the log thread ---------------------------------------------------------

TvxConsoleTools::TvxLogThread::TvxLogThread(TvxConsoleTools& Owner) : FOwner(Owner) {
  FThread = std::thread([this] { Execute(); });
}

TvxConsoleTools::TvxLogThread::~TvxLogThread() { Terminate(); }

void TvxConsoleTools::TvxLogThread::Terminate() {
  {
    std::lock_guard<std::mutex> lock(FWaitLock);
    FTerminated = true;
  }
  FWake.notify_all();
  if (FThread.joinable()) FThread.join();
}

void TvxConsoleTools::TvxLogThread::Execute() {
  std::unique_lock<std::mutex> lock(FWaitLock);
  while (!FTerminated) {
    lock.unlock();
    FlushLogQueue();
    lock.lock();
    FWake.wait_for(lock, std::chrono::milliseconds(100), [this] { return FTerminated; });
  }
  lock.unlock();
  // The last pass: nothing queued before the end is lost.
  FlushLogQueue();
}

void TvxConsoleTools::TvxLogThread::Report(const std::string& Text) {
  vxConsole::WriteText(FOwner.StdOutputHandle, Text + "\r\n");
}

namespace {

// The log file of one pass: opened once, lines gathered and written in
// blocks.
class TPassFile {
 public:
  ~TPassFile() { Close(); }
  bool Open() const { return FFd >= 0; }

  // Opens for appending (creating the folder and the file when missing);
  // the error text when that fails.
  std::string OpenFile(const ustring& Name) {
    const std::string path = vxFileSystem::NativePath(Name);
    FFd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (FFd >= 0) return {};
    TvxFiles::CreatePath(Name, true);
    if (TvxFiles::FileExists(Name))
      return "could not append file for write operation (" + ErrnoCode(errno) + ")";
    FFd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (FFd < 0) return "rewrite file exception (" + ErrnoCode(errno) + ")";
    return {};
  }
  int64_t Size() {
    struct stat info;
    return FFd >= 0 && fstat(FFd, &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
  }
  void Add(const std::string& Line) {
    FBuffer += Line;
    FBuffer += "\r\n";
  }
  bool Full() const { return FBuffer.size() >= 256 * 1024; }
  // The error text when the gathered lines could not be written.
  std::string Flush() {
    if (FFd < 0 || FBuffer.empty()) return {};
    vxFileSystem::TFileHandle borrowed(FFd);
    const bool ok = borrowed.WriteAll(FBuffer.data(), FBuffer.size());
    const int error = errno;
    borrowed.Release();
    FBuffer.clear();
    if (ok) return {};
    return "EXCEPTION: writing logfile exception (" + WideToUtf8(vxSystemInfo::GetErrorMessage(error)) + ")";
  }
  // The error text when closing failed.
  std::string Close() {
    if (FFd < 0) return {};
    const int fd = FFd;
    FFd = -1;
    if (close(fd) != 0) return "EXCEPTION: closefile exception (ioresult " + ErrnoCode(errno) + ")";
    return {};
  }

 private:
  int FFd = -1;
  std::string FBuffer;
};

}  // namespace

void TvxConsoleTools::TvxLogThread::FlushLogQueue() {
  try {
    std::vector<TvxLogRecord> records = FOwner.TakeLogQueue();
    if (records.empty()) return;
    const bool toFile = FOwner.LogToFile;
    if (FLogCount == 0) FOwner.LogFileNumber = FOwner.FindLogFileNumber();
    const TDateTime today = std::floor(FOwner.LocalNow());
    const bool dayChanged = today != FOwner.LogFileDate.load();
    const ustring logFile = FOwner.LogFile;
    if (FLogCount >= FNextCheck || dayChanged) TvxFiles::CreatePath(logFile, true);
    if (dayChanged) {
      FOwner.LogFileDate = today;
      FOwner.LogFileNumber = 0;
    }
    FOwner.ActiveLogFile = FOwner.GetLogFileName();

    TPassFile file;
    // Moves to a further file while the current one is at the size limit.
    auto checkSize = [&](bool reopen) {
      FNextCheck = (FLogCount / 1000 + 1) * 1000;
      for (int guard = 0; guard < 1000; ++guard) {
        const ustring active = FOwner.ActiveLogFile;
        const int64_t size = file.Open() ? file.Size() : TvxFiles::GetSizeOfFile(active);
        if (size < MaxLogFileSize) break;
        if (reopen) {
          if (std::string error = file.Flush(); !error.empty()) Report(error);
          if (std::string error = file.Close(); !error.empty()) Report(error);
        }
        FOwner.LogFileNumber = FOwner.LogFileNumber + 1;
        FOwner.LogFileDate = today;
        FOwner.ActiveLogFile = FOwner.GetLogFileName();
        if (reopen) {
          if (std::string error = file.OpenFile(FOwner.ActiveLogFile); !error.empty()) {
            Report(error);
            return;
          }
        }
      }
    };
    if (FLogCount >= FNextCheck) checkSize(false);
    if (toFile) {
      if (std::string error = file.OpenFile(FOwner.ActiveLogFile); !error.empty()) Report(error);
    }

    std::string echo;
    const int echoFd = FOwner.StdOutputHandle;
    const bool terminal = vxConsole::IsTerminal(echoFd);
    for (const TvxLogRecord& record : records) {
      // The size is checked at every multiple of 1000 entries, also inside
      // a pass, so a large batch cannot grow a file without bound.
      if (file.Open() && FLogCount >= FNextCheck) checkSize(true);
      ++FLogCount;
      const ustring line = CreateLogTextW(record.LogType, record.Text, record.TimeStamp, record.Address, true);
      if (file.Open()) {
        file.Add(WideToAnsi(line));
        if (file.Full())
          if (std::string error = file.Flush(); !error.empty()) Report(error);
      }
      SendSyslog(record);
      SendTrap(record);
      if (!FOwner.AsService) {
        ustring shown = line.size() > MaxConsoleLine ? line.substr(0, 146) + u"..." : line;
        shown += u"\r\n";
        if (terminal) echo += vxConsole::ColourSequence(ConsoleColour(record.LogInfoType));
        echo += WideToUtf8(shown);
        if (echo.size() >= 64 * 1024) {
          vxConsole::WriteText(echoFd, echo);
          echo.clear();
        }
      }
    }
    if (!echo.empty()) vxConsole::WriteText(echoFd, echo);
    if (std::string error = file.Flush(); !error.empty()) Report(error);
    if (std::string error = file.Close(); !error.empty()) Report(error);
  } catch (const std::exception& e) {
    // The thread never stops on an error.
    Report(std::string("EXCEPTION: ") + e.what());
  }
}

void TvxConsoleTools::TvxLogThread::SendSyslog(const TvxLogRecord& Record) {
  if (!FOwner.SysLogActive || Record.LogInfoType == vxLog_Trace || !PassesLevel(Record.LogInfoType, FOwner.SysLogLevel))
    return;
  try {
    if (!FSysLogClient.Connected()) {
      FSysLogClient.Host = WideToUtf8(FOwner.SysLogServer.Get());
      FSysLogClient.Port = static_cast<uint16_t>(FOwner.SysLogPort.load());
      FSysLogClient.ReceiveTimeout = FOwner.SysLogTimeOut;
      FSysLogClient.Connect();
    }
    FSysLogClient.SendLogMessage(WideToUtf8(Record.Text), WideToUtf8(UpperStrW(FOwner.ServerTechName)),
                                 FOwner.SysLogFacility, SyslogSeverity(Record.LogInfoType));
  } catch (const std::exception& e) {
    Report(std::string("EXCEPTION: could not contact syslog server (") + e.what() + ")");
  }
}

void TvxConsoleTools::TvxLogThread::SendTrap(const TvxLogRecord& Record) {
  const TvxLogInfoType kind = Record.LogInfoType;
  if (!FOwner.SNMPActive || (kind != vxLog_Error && kind != vxLog_Warning && kind != vxLog_Critical)) return;
  try {
    vxSnmpTrap::TTrap trap;
    trap.Host = WideToUtf8(FOwner.SNMPServer.Get());
    trap.Port = static_cast<uint16_t>(FOwner.SNMPPort.load());
    trap.Community = "public";
    trap.Enterprise = SnmpEnterprise;
    trap.GenericTrap = 6;
    trap.SpecificTrap = 1;
    const TDateTime start = FOwner.StartDate;
    const double upSeconds = std::max(0.0, std::round((FOwner.LogNow() - start) * vxRuntime::SecsPerDay));
    trap.UpTimeTicks = static_cast<uint32_t>(std::min(upSeconds * 100, 4294967295.0));
    const std::string arc = std::string(SnmpEnterprise) + ".";
    trap.Bindings = {
        {arc + "0", WideToUtf8(FOwner.ServerName.Get())},
        {arc + "1", WideToUtf8(FOwner.ServerTechName.Get())},
        {arc + "2", WideToUtf8(IsoDateTime(start))},
        {arc + "3", std::to_string(static_cast<uint64_t>(upSeconds))},
        {arc + "4", WideToUtf8(GetLogTypeText(kind))},
        {arc + "5", WideToUtf8(Record.Text)},
    };
    vxSnmpTrap::SendTrap(trap);
  } catch (const std::exception& e) {
    Report(std::string("EXCEPTION: could not contact snmp server (") + e.what() + ")");
  }
}
