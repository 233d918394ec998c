// TvxConsoleTools: the logging console of the family's server processes.
// Callers hand it log entries; it filters them by level, counts errors,
// warnings and critical entries, keeps the latest lines in memory and
// queues the entries for its log thread, which writes them into daily log
// files, sends them to syslog (RFC 3164 over UDP), raises SNMP traps for
// errors, warnings and critical entries and echoes them in colour on the
// console. The class also reads log files back, and offers the start
// parameters, console and named-mutex operations of the server processes.
//
// Threads: any thread may call Log and change the settings at any time;
// settings and counters are atomics or guarded values, the queue and the
// two line lists are guarded by LogLock. The destructor must not run while
// another thread still calls Log; it lets the log thread write everything
// still queued before it ends.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"
#include "platform/net/vxSyslog.h"
#include "platform/values/vxVariant.h"

// A value that one thread may set while others read it (texts and records
// above all: a data race on a string is undefined behaviour). Reads return
// a copy; readers share the lock, a writer has it alone.
template <class T>
class TvxGuardedValue {
 public:
  TvxGuardedValue() = default;
  TvxGuardedValue(T Value) : FValue(std::move(Value)) {}
  TvxGuardedValue(const TvxGuardedValue&) = delete;
  TvxGuardedValue& operator=(const TvxGuardedValue&) = delete;
  TvxGuardedValue& operator=(T Value) {
    std::unique_lock<std::shared_mutex> lock(FLock);
    FValue = std::move(Value);
    return *this;
  }
  T Get() const {
    std::shared_lock<std::shared_mutex> lock(FLock);
    return FValue;
  }
  operator T() const { return Get(); }
  // Changes the value in place under the lock: Change(T&).
  template <class F>
  void Update(F&& Change) {
    std::unique_lock<std::shared_mutex> lock(FLock);
    Change(FValue);
  }

 private:
  mutable std::shared_mutex FLock;
  T FValue{};
};

// One queued log entry.
struct TvxLogRecord {
  TDateTime TimeStamp = 0;
  ustring Address;
  TvxLogInfoType LogInfoType = vxLog_Unknown;
  ustring LogType;  // the kind as text
  ustring Text;     // the message
  ustring DocId;
  ustring StackId;
  ustring User;
  ustring Application;
  TvxMetaData MetaData;
};

class TvxConsoleTools {
 public:
  // The local date and time; tests put a clock of their own in.
  using TClock = std::function<TDateTime()>;

  // Lines on the console longer than this are cut.
  static constexpr size_t MaxConsoleLine = 149;
  // A further log file of the day is begun at this size.
  static constexpr int64_t MaxLogFileSize = 104857600;
  // The private-enterprise arc of the SNMP traps.
  static constexpr char SnmpEnterprise[] = "1.3.6.1.4.1.32473";

  // The console with its log thread running. Clock (default: the system's
  // local time) is the local time every part of the console uses.
  explicit TvxConsoleTools(bool GMTDateTime, TClock Clock = {});
  virtual ~TvxConsoleTools();
  TvxConsoleTools(const TvxConsoleTools&) = delete;
  TvxConsoleTools& operator=(const TvxConsoleTools&) = delete;

  // ---- logging ----

  ustring Log(const ustring& Typ, const ustring& Msg, const ustring& Address, TDateTime TimeStamp = 0,
              TvxLogOriginType Origin = vxLOT_System);
  ustring Log(TvxLogInfoType Typ, const ustring& Msg, const ustring& Address, TDateTime TimeStamp = 0,
              TvxLogOriginType Origin = vxLOT_System);

  // One log line: "dd.mm.yy hh:nn:ss-zzz", the address padded to 15, the
  // kind cut and dotted to 10, ": " and the message with its line breaks
  // turned into blanks, a lone CR too (a log file's readers end a line
  // there). With ShortenIPV6Address an address longer than 15
  // becomes its first 12 characters and "...".
  static ustring CreateLogTextW(const ustring& Typ, const ustring& Msg, TDateTime TimeStamp, const ustring& Address,
                                bool ShortenIPV6Address);
  static ustring CreateLogTextW(TvxLogInfoType Typ, const ustring& Msg, TDateTime TimeStamp,
                                const ustring& Address, bool ShortenIPV6Address);
  // The same line as 8-bit text: kind and message in UTF-8, the rest in the
  // system code page.
  static std::string CreateLogText(const ustring& Typ, const ustring& Msg, TDateTime TimeStamp,
                                   const ustring& Address, bool ShortenIPV6Address);
  static std::string CreateLogText(TvxLogInfoType Typ, const ustring& Msg, TDateTime TimeStamp,
                                   const ustring& Address, bool ShortenIPV6Address);

  static ustring GetLogTypeText(TvxLogInfoType Typ);
  static TvxLogInfoType GetLogTypeFromText(const ustring& Typ);
  // The level from which a kind passes a filter (a filter of 5 or more lets
  // every kind pass).
  static int32_t MinimumLevel(TvxLogInfoType Typ);
  static bool PassesLevel(TvxLogInfoType Typ, int32_t Level);
  static TSyslogSeverity SyslogSeverity(TvxLogInfoType Typ);
  static uint16_t ConsoleColour(TvxLogInfoType Typ);

  TvxLogInfoType SelectLogType(bool Selection, TvxLogInfoType LogTypeTrue, TvxLogInfoType LogTypeFalse) const;

  uint32_t SysErrors();
  uint32_t SysWarnings();
  uint32_t SysCriticals();
  uint32_t SysErrorsToday();
  uint32_t SysWarningsToday();
  uint32_t SysCriticalsToday();
  bool CheckErrWarnReset();
  uint32_t GetServiceUpTime();
  bool ClearIntLog();

  // Reads a log line back (the current form and the older one with a
  // four-digit year and the address in angle brackets). The message of an
  // 8-bit line is UTF-8 when it is valid UTF-8, else the system code page
  // the log thread writes. Raises EConvertError for a time that is no time.
  TvxLogRecord ParseLogLine(const std::string& Line);
  TvxLogRecord ParseLogLineW(const ustring& Line);
  // Appends the messages of a log file's entries up to LogLevel to LogList;
  // False when the file does not exist.
  bool ParseLogFile(const ustring& LogFile, TStrings& LogList, int32_t MaxRecords, int32_t LogLevel);

  void WStringStatusCallbackProc(const ustring& CurNode);
  void WStringLogCallbackProc(const ustring& Typ, const ustring& Msg);

  // The current time, UTC with UseGMTDateTime, else local.
  TDateTime LogNow() const;
  // The log file of LogFileNumber for the date of LogNow, and the number
  // of the last of today's files that exist.
  ustring GetLogFileName() const;
  int32_t FindLogFileNumber() const;

  // ---- start parameters, console and named mutexes ----

  // This process's arguments, program first; tests put a source of their
  // own in (an empty function puts /proc/self/cmdline back).
  using TArgumentSource = std::function<std::vector<ustring>()>;
  static void SetArgumentSource(TArgumentSource Source);

  static ustring ParamStrW(int32_t Index);
  static int32_t ParamCount();
  static ustring GetOwnCommandLine();
  static bool GetStartParams(const ustring& Name, std::unique_ptr<TStringList>& Values, const std::string& Prefix);
  static Variant GetStartParam(const ustring& Name, const Variant& Default, const std::string& Prefix);
  // The first match read by StrToVarExt in the number kind of ResultType
  // (varNull: of Default), not in the Int64 or Double that StrToVarExt
  // gives; a number that does not fit that kind stays as read.
  static Variant GetStartParamEx(const ustring& Name, const Variant& Default, const std::string& Prefix,
                                 TVarType ResultType);
  static bool GetHelpStartParamState();
  static ustring BuildParamString(const std::vector<ustring>& Params, const std::string& Prefix);
  static bool KeyPressed();
  static bool WaitForKeypressed(int32_t WaitSeconds);
  static bool ClsConsole();

  // The first match, else the INI fallback, in the kind of Default (as
  // GetStartParamEx); errors go to Message and leave Default.
  Variant GetStartParameter(const ustring& Name, const Variant& Default, const std::string& ParamPrefix,
                            const std::string& ParamValueSeparator);
  bool GetStartParameters(const ustring& Name, std::unique_ptr<TStringList>& Values, const std::string& Prefix);
  bool RegisterConsoleSettings();
  // The registry key of the console settings of this executable.
  static ustring ConsoleSettingsKey();
  // The title SetConsoleTitle sets.
  ustring ConsoleTitle() const;
  bool SetConsoleTitle();
  bool IsMutexActive(const ustring& MutexName);
  bool WaitForMutex(const ustring& MutexName, int32_t Wait);
  bool RegisterMutex(const ustring& MutexName);
  bool CloseMutex(const ustring& MutexName);

  // ---- fields ----

  // Guards LogQueue, IntLog and IntErrorLog.
  std::mutex LogLock;
  uint8_t LogTimeStampLen = 21;
  // The file descriptor of the console echo and of the log thread's error
  // lines (the process's standard output).
  std::atomic<int> StdOutputHandle{1};
  TvxGuardedValue<ustring> ConnectionString;
  std::atomic<bool> UseGMTDateTime{false};
  // The console's own syslog client (the log thread uses one of its own).
  vxSyslog::TSyslogClient SysLogClient;
  const ustring Version = u"4.4.0";
  std::atomic<uint32_t> isysErrors{0}, isysWarnings{0}, isysCriticals{0};
  std::atomic<uint32_t> isysErrorsToday{0}, isysWarningsToday{0}, isysCriticalsToday{0};
  TvxGuardedValue<ustring> Message;
  std::atomic<int32_t> LogLevel{4};
  std::atomic<uint64_t> LogCount{0};
  std::atomic<uint64_t> DocLogCount{0};
  TvxGuardedValue<ustring> LogFile;
  std::atomic<bool> LogToFile{true};
  TvxGuardedValue<ustring> ActiveLogFile;
  std::atomic<int32_t> LogFileNumber{0};
  std::atomic<TDateTime> LogFileDate{0};
  TStringList IntLog;
  TStringList IntErrorLog;
  std::vector<TvxLogRecord> LogQueue;
  std::atomic<int32_t> MaxIntLog{500};
  std::atomic<bool> AsService{false};
  std::atomic<int32_t> InstanceId{0};
  TvxGuardedValue<std::string> InstanceToken;
  TvxGuardedValue<ustring> ServerName;
  TvxGuardedValue<ustring> ServerTechName;
  TvxGuardedValue<ustring> MutexName;
  std::atomic<TDateTime> StartDate{0};
  std::atomic<TDateTime> CheckDate{0};
  TvxGuardedValue<ustring> DefaultStartParamIni;
  std::atomic<bool> SysLogActive{false};
  TvxGuardedValue<ustring> SysLogServer{u"localhost"};
  std::atomic<int32_t> SysLogPort{514};
  std::atomic<TSyslogFacility> SysLogFacility{sfLocalUseZero};
  std::atomic<int32_t> SysLogLevel{2};
  std::atomic<uint32_t> SysLogTimeOut{2000};
  std::atomic<bool> SNMPActive{false};
  TvxGuardedValue<ustring> SNMPServer;
  std::atomic<int32_t> SNMPPort{0};

  class TvxLogThread;
  std::unique_ptr<TvxLogThread> LogThread;

 private:
  friend class TvxLogThread;
  TDateTime LocalNow() const;
  // Copies and empties the queue under LogLock.
  std::vector<TvxLogRecord> TakeLogQueue();

  TClock FClock;
};

// The log thread: a pass every 100 ms (sooner when the console ends), and
// a last pass after it was told to stop.
class TvxConsoleTools::TvxLogThread {
 public:
  explicit TvxLogThread(TvxConsoleTools& Owner);
  ~TvxLogThread();
  TvxLogThread(const TvxLogThread&) = delete;
  TvxLogThread& operator=(const TvxLogThread&) = delete;

  // Ends the thread after its last pass; waits for it.
  void Terminate();
  // Entries this thread has handled.
  uint64_t LogCount() const { return FLogCount.load(); }

 private:
  void Execute();
  void FlushLogQueue();
  void Report(const std::string& Text);
  void SendSyslog(const TvxLogRecord& Record);
  void SendTrap(const TvxLogRecord& Record);

  TvxConsoleTools& FOwner;
  std::atomic<uint64_t> FLogCount{0};
  // The count at which the file size and the folder are checked next.
  uint64_t FNextCheck = 0;
  vxSyslog::TSyslogClient FSysLogClient;
  std::mutex FWaitLock;
  std::condition_variable FWake;
  bool FTerminated = false;
  std::thread FThread;
};
