// The services and hosts files read and written as text files, and the
// system's services through the service manager's command-line program.
#include "core/vxToolsServices.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "core/vxStringsPad.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsProcess.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxStream.h"
#include "platform/lists/vxFileText.h"
#include "platform/process/vxCommandLine.h"
#include "platform/process/vxProcessOutput.h"
#include "platform/process/vxServiceManager.h"
#include "platform/text/vxNumberText.h"

namespace TvxTools {
namespace {

// ---- Settings shared by every thread ----

struct TSettings {
  std::mutex Lock;
  ustring ServicesFile = kServicesFile;
  ustring HostsFile = kHostsFile;
  TServiceCommandRunner Runner;
  TServicePollWait Wait;
};

TSettings& Settings() {
  static TSettings settings;
  return settings;
}

template <class T>
T Exchange(T& slot, T value) {
  std::lock_guard guard(Settings().Lock);
  T previous = std::move(slot);
  slot = std::move(value);
  return previous;
}

template <class T>
T Read(const T& slot) {
  std::lock_guard guard(Settings().Lock);
  return slot;
}

// ---- Text files ----

[[noreturn]] void RaiseInOutError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      throw EInOutError("File not found", error);
    case EACCES:
    case EPERM:
      throw EInOutError("File access denied", error);
    default:
      throw EInOutError("I/O error " + std::to_string(error), error);
  }
}

// Every byte of an open file from its start; False (errno) on a read error.
bool ReadAll(const vxFileSystem::TFileHandle& file, std::string& bytes) {
  bytes.clear();
  if (file.Seek(0, SEEK_SET) < 0) return false;
  char piece[16384];
  for (;;) {
    const ssize_t n = file.Read(piece, sizeof piece);
    if (n < 0) return false;
    bytes.append(piece, static_cast<size_t>(n));
    if (static_cast<size_t>(n) < sizeof piece) return true;
  }
}

// The bytes of a text file that is read; EInOutError when it cannot be.
std::string ReadTextFile(const ustring& fileName) {
  const auto file = vxFileSystem::TFileHandle::Open(fileName, fmOpenRead | fmShareDenyNone);
  if (!file.Valid()) RaiseInOutError(errno);
  std::string bytes;
  if (!ReadAll(file, bytes)) RaiseInOutError(errno);
  return bytes;
}

// One line of a text, its end left out (Break) or kept apart.
struct TLine {
  ustring Text;
  ustring Break;  // CR LF, CR, LF, or empty for a last line without one
};

std::vector<TLine> SplitLines(std::u16string_view text) {
  std::vector<TLine> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    TLine line{ustring(text.substr(start, end - start)), {}};
    if (end < text.size()) {
      const size_t length = text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1;
      line.Break = text.substr(end, length);
      end += length;
    }
    lines.push_back(std::move(line));
    start = end;
  }
  return lines;
}

// The line end a text uses: that of its first line that has one, LF when
// none has.
template <class Ch>
std::basic_string<Ch> LineBreakOf(std::basic_string_view<Ch> text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == Ch('\r')) {
      if (i + 1 < text.size() && text[i + 1] == Ch('\n')) return {Ch('\r'), Ch('\n')};
      return {Ch('\r')};
    }
    if (text[i] == Ch('\n')) return {Ch('\n')};
  }
  return {Ch('\n')};
}

bool IsFieldSeparator(char16_t c) { return c == u' ' || c == u'\t'; }

// The first field of a line: after leading blanks and tabs, up to the next
// blank or tab.
ustring FirstField(std::u16string_view line) {
  size_t start = 0;
  while (start < line.size() && IsFieldSeparator(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !IsFieldSeparator(line[end])) ++end;
  return ustring(line.substr(start, end - start));
}

// a-z upper-cased, nothing else.
ustring AsciiUpper(ustring text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

bool HoldsLineBreak(const ustring& text) {
  return text.find_first_of(u"\r\n") != ustring::npos;
}

// ---- The encoding of a file's text ----

enum class TEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

TEncoding EncodingOf(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) return TEncoding::Utf8;
  if (bytes.starts_with(kUtf16LEMark)) return TEncoding::Utf16LE;
  if (bytes.starts_with(kUtf16BEMark)) return TEncoding::Utf16BE;
  return TEncoding::Ansi;
}

// The text in the encoding, mark included; False when the encoding cannot
// hold every character of it.
bool Encode(const ustring& text, TEncoding encoding, std::string& bytes) {
  switch (encoding) {
    case TEncoding::Ansi:
      bytes = WideToAnsi(text);
      return AnsiToWide(bytes) == text;
    case TEncoding::Utf8:
      if (FindLoneSurrogate(text) != ustring::npos) return false;
      bytes = std::string(kUtf8Mark) + WideToUtf8(text);
      return true;
    case TEncoding::Utf16LE:
      bytes = std::string(kUtf16LEMark) + WideToUtf16LE(text);
      return true;
    case TEncoding::Utf16BE: {
      std::string little = WideToUtf16LE(text);
      for (size_t i = 0; i + 1 < little.size(); i += 2) std::swap(little[i], little[i + 1]);
      bytes = std::string(kUtf16BEMark) + little;
      return true;
    }
  }
  return false;
}

// ---- Service manager ----

constexpr int kQueryTimeoutMs = 10000;
// A start or stop job of the service manager ends within its own time-outs
// (90 s by default); this bound is only the last resort.
constexpr uint32_t kCommandTimeoutMs = 120000;
constexpr int kPollRounds = 120;
constexpr uint32_t kPollPauseMs = 500;

bool DefaultRunner(const ustring& program, const ustring& params, uint32_t& exitCode, std::string* output) {
  if (!output) return ExecAndWait(program, params, 0, exitCode, ustring(), kCommandTimeoutMs);
  vxProcess::TStartInfo info;
  info.Arguments = vxCommandLine::SplitCommandLine(params, false);
  info.Arguments.insert(info.Arguments.begin(), program);
  return vxProcess::RunAndRead(info, kQueryTimeoutMs, exitCode, *output);
}

bool RunServiceCommand(const ustring& params, uint32_t& exitCode, std::string* output) {
  const TServiceCommandRunner runner = Read(Settings().Runner);
  const ustring program = vxServiceManager::kProgram;
  return runner ? runner(program, params, exitCode, output) : DefaultRunner(program, params, exitCode, output);
}

void PollPause() {
  const TServicePollWait wait = Read(Settings().Wait);
  if (wait)
    wait(kPollPauseMs);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollPauseMs));
}

// Runs the stop or start command and reads the state until it settles.
bool ChangeService(const ustring& service, bool start) {
  if (GetServiceStatus(ustring(), service) == 0) return false;
  uint32_t exitCode = 0;
  RunServiceCommand(start ? vxServiceManager::StartParams(service) : vxServiceManager::StopParams(service), exitCode,
                    nullptr);
  const uint32_t wanted = start ? vxServiceManager::SERVICE_RUNNING : vxServiceManager::SERVICE_STOPPED;
  uint32_t state = 0;
  for (int round = 0; round < kPollRounds; ++round) {
    state = GetServiceStatus(ustring(), service);
    // A start pauses after every read, also while the service is still
    // stopped, so the rounds never spin.
    if (start || state != vxServiceManager::SERVICE_STOPPED) PollPause();
    if (state == 0 || state == wanted) break;
  }
  return state == wanted;
}

}  // namespace

// ---- The files ----

ustring ServicesFileName() { return Read(Settings().ServicesFile); }
ustring SetServicesFileName(const ustring& FileName) {
  return Exchange(Settings().ServicesFile, FileName.empty() ? ustring(kServicesFile) : FileName);
}
ustring HostsFileName() { return Read(Settings().HostsFile); }
ustring SetHostsFileName(const ustring& FileName) {
  return Exchange(Settings().HostsFile, FileName.empty() ? ustring(kHostsFile) : FileName);
}

// ---- Services file ----

int32_t ServicesPortOfText(std::string_view Bytes, const ustring& Typ) {
  const ustring wanted = AsciiUpper(Typ);
  for (TLine& line : SplitLines(AnsiToWide(Bytes))) {
    for (char16_t& c : line.Text)
      if (c == u'\t') c = u' ';
    const ustring text = vxRuntime::Trim(line.Text);
    if (text.empty()) continue;  // an empty line is no entry
    if (AsciiUpper(text.substr(0, text.find(u' '))) != wanted) continue;
    const ustring rest = vxRuntime::Trim(text.substr(std::min(Typ.size(), text.size())));
    ustring port = rest.substr(0, rest.find(u'/'));
    if (port.empty()) return 0;
    std::erase(port, u'%');
    int32_t value = 0;
    return vxRuntime::TryStrToInt(port, value) ? value : -1;
  }
  return -1;
}

int32_t GetServicesPort(const ustring& Typ) { return ServicesPortOfText(ReadTextFile(ServicesFileName()), Typ); }

ustring ServiceLine(const ustring& Name, const ustring& Port, const ustring& ConnectionType, const ustring& Comment) {
  return TvxStrings::FillBlankBack(Name, 18) + Port + u"/" + TvxStrings::FillBlankBack(ConnectionType, 27) + u"#" +
         Comment;
}

ustring ServicesTextWithEntry(const ustring& Text, const ustring& Name, const ustring& Line, const ustring& LineBreak) {
  std::vector<TLine> lines = SplitLines(Text);
  const ustring key = UpperStrW(Name);
  bool replaced = false;
  for (TLine& line : lines) {
    if (line.Text.empty()) continue;
    if (vxRuntime::Trim(UpperStrW(FirstField(line.Text))) == key) {
      line.Text = Line;
      replaced = true;
      break;
    }
  }
  if (!replaced) {
    if (!lines.empty() && lines.back().Break.empty()) lines.back().Break = LineBreak;
    lines.push_back({Line, LineBreak});
  }
  ustring result;
  for (const TLine& line : lines) result += line.Text + line.Break;
  return result;
}

bool SetServiceSettings(const ustring& Name, const ustring& Port, const ustring& ConnectionType,
                        const ustring& Comment) {
  try {
    if (HoldsLineBreak(Name) || HoldsLineBreak(Port) || HoldsLineBreak(ConnectionType) || HoldsLineBreak(Comment))
      return false;
    const ustring fileName = ServicesFileName();
    const std::string bytes = ReadTextFile(fileName);
    const TEncoding encoding = EncodingOf(bytes);
    const ustring text = vxFileText::DecodeFileText(bytes);
    const ustring line = ServiceLine(Name, Port, ConnectionType, Comment);
    std::string result;
    if (!Encode(ServicesTextWithEntry(text, Name, line, LineBreakOf<char16_t>(text)), encoding, result)) return false;
    return vxFileSystem::ReplaceFileContent(fileName, result);
  } catch (...) {
    return false;
  }
}

// ---- Hosts file ----

bool HostAddressOfText(std::string_view Bytes, const ustring& Host, ustring& Address) {
  if (Host.empty()) return false;
  const ustring wanted = UpperStrW(Host);
  for (const TLine& line : SplitLines(AnsiToWide(Bytes))) {
    if (line.Text.empty() || line.Text[0] == u'#') continue;
    if (UpperStrW(line.Text).find(wanted) == ustring::npos) continue;
    Address = vxRuntime::Trim(FirstField(line.Text));
    return true;
  }
  return false;
}

bool GetHostSettings(const ustring& Host, ustring& Address) {
  return HostAddressOfText(ReadTextFile(HostsFileName()), Host, Address);
}

bool SetHostSettings(const ustring& Address, const ustring& Host) {
  try {
    if (HoldsLineBreak(Address) || HoldsLineBreak(Host)) return false;
    const ustring entry = Address + u"  " + Host;
    const std::string entryBytes = WideToAnsi(entry);
    if (AnsiToWide(entryBytes) != entry) return false;
    const auto file = vxFileSystem::TFileHandle::Open(HostsFileName(), fmOpenReadWrite | fmShareDenyWrite);
    if (!file.Valid()) return false;
    std::string bytes;
    if (!ReadAll(file, bytes)) return false;
    const std::string lineBreak = LineBreakOf<char>(bytes);
    std::string addition;
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') addition = lineBreak;
    addition += entryBytes + lineBreak;
    const int64_t size = file.Seek(0, SEEK_END);
    if (size < 0) return false;
    if (file.WriteAll(addition.data(), addition.size()) && file.Flush()) return true;
    file.Truncate(size);  // no half line is left behind
    return false;
  } catch (...) {
    return false;
  }
}

// ---- Services ----

uint32_t GetServiceStatus(const ustring& Machine, const ustring& Service) {
  try {
    if (!Machine.empty() || !vxServiceManager::ValidUnitName(Service)) return 0;
    std::string output;
    uint32_t exitCode = 0;
    if (!RunServiceCommand(vxServiceManager::QueryParams(Service), exitCode, &output) || exitCode != 0) return 0;
    return vxServiceManager::StateFromQueryOutput(output);
  } catch (...) {
    return 0;
  }
}

bool StopService(const ustring& Service) {
  try {
    return ChangeService(Service, false);
  } catch (...) {
    return false;
  }
}

bool StartService(const ustring& Service) {
  try {
    return ChangeService(Service, true);
  } catch (...) {
    return false;
  }
}

TServiceCommandRunner SetServiceCommandRunner(TServiceCommandRunner Runner) {
  return Exchange(Settings().Runner, std::move(Runner));
}

TServicePollWait SetServicePollWait(TServicePollWait Wait) { return Exchange(Settings().Wait, std::move(Wait)); }

}  // namespace TvxTools
