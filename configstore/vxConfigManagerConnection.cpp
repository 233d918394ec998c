// The store's life and its connection: construction with the open loop, the
// layout probe, the change columns, the failure convention, the connection
// check of the watchdog and of every failure, and destruction.
#include "configstore/vxConfigManager.h"

#include "core/vxRegistry.h"
#include "core/vxToolsSystem.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr char16_t SystemKey[] = u"SOFTWARE\\varlo\\System\\";
constexpr char16_t CommonNode[] = u"/varlo/Software/Basics/Common";

// A stored setting read as a whole number, clamped into [Low, High]; Default
// when it could not be read.
int64_t StoredNumber(const Variant& Value, int64_t Default, int64_t Low, int64_t High) {
  if (Value.IsEmpty() || Value.IsNull()) return Default;
  int64_t number;
  try {
    number = Value.AsInt64();
  } catch (const Exception&) {
    return Default;
  }
  return number < Low ? Low : number > High ? High : number;
}

// The database type of the store: the host's common type, unless the
// connection names one of the databases that run here, which decides.
TvxDatabaseType DatabaseTypeFor(const ustring& ConnectionString) {
  const TvxDatabaseType common = TvxVarlo::GetDatabaseType(true, vxDBT_MSSQL);
  try {
    switch (vxData::TDataConnection::Create(ConnectionString)->Provider()) {
      case vxData::TDataProvider::SQLite:
        return vxDBT_SQLite;
      case vxData::TDataProvider::PostgreSQL:
        return vxDBT_PostgreSQL;
    }
  } catch (const Exception&) {
    // The connection string names nothing that runs here: the open says so.
  }
  return common;
}

}  // namespace

int32_t TvxConfigManager::RegistryInteger(const ustring& Name, int32_t Default) {
  try {
    return TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, SystemKey, Name, Variant(Default), false).AsInteger();
  } catch (const Exception&) {
    return Default;  // a text that is no number
  }
}

TvxConfigManager::TvxConfigManager(bool k7Init, const ustring& UserConStr, const ustring& TableName)
    : CfgTabName(TableName), FTiming(ConfigManagerTiming()) {
  if (!FTiming.Ticks) FTiming.Ticks = [] { return vxSystemInfo::GetCoarseTickCount(); };
  LastDbChangeTicks = Ticks();
  ADODataSet = std::make_unique<TvxADODataSet>();
  ADOCommand = std::make_unique<TADOCommand>();
  k7Mode = k7Init;
  try {
    Username = TvxTools::GetUserNameEx(8);
    MaxDbRetry = RegistryInteger(u"DbConReadRetries", 2);
    const int32_t openTimeout = RegistryInteger(u"DbConTimeout", 120);
    ConnectionString = UserConStr.empty() ? TvxVarlo::GetConnectionString(true) : UserConStr;
    DatabaseType = DatabaseTypeFor(ConnectionString);

    try {
      ADOConnection = std::make_unique<TADOConnection>(ConnectionString);
      const uint32_t start = Ticks();
      for (;;) {
        OpenConnection(*ADOConnection, openTimeout);
        if (ADOConnection->Connected()) break;
        if (!PauseUnlessClosing(FTiming.OpenRetryPause)) break;
        const uint32_t elapsed = static_cast<uint32_t>(Ticks() - start) / 1000;
        if (elapsed > static_cast<uint32_t>(openTimeout)) break;
      }
    } catch (const Exception& e) {
      Message = u"ado connection exception (" + e.Message() + u")";
    }
    if (!ADOConnection) ADOConnection = std::make_unique<TADOConnection>(ConnectionString);
    ADODataSet->SetConnection(ADOConnection.get());
    ADODataSet->CommandTimeout = RegistryInteger(u"DbConCmdTimeout", 120);
    ADOCommand->SetConnection(ADOConnection.get());

    TableStructureType = GetTableStructureType();
    if (TableStructureType == TST_V1 && Message.Get().empty()) {
      // Not even the older layout: say so now rather than in every operation.
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      try {
        OpenDataSet(u"SELECT ID,PARENTID,KEYNAME,DATATYPE,KEYVALUE FROM " + CfgTabName + u" WHERE ID = :FAKEID",
                    {{u"FAKEID", Variant(u"NIL")}});
        ADODataSet->Close();
      } catch (const Exception& e) {
        Message = u"configuration table " + CfgTabName + u" is missing or has neither layout (" + e.Message() + u")";
      }
    }

    if (k7Init) {
      LoadClassNodeIds(false);
      CacheSize = static_cast<int32_t>(StoredNumber(
          GetConfigValue(CommonNode, u"ConfigCacheSize", Variant::FromWord(1000), true), 1000, 0, MaxCacheSize));
      CacheLeaseTime = static_cast<uint32_t>(StoredNumber(
          GetConfigValue(CommonNode, u"ConfigCacheLeaseTime", Variant::FromLongWord(600000), true), 600000, 0,
          UINT32_MAX));
      CacheCheckTime = static_cast<uint32_t>(StoredNumber(
          GetConfigValue(CommonNode, u"ConfigCacheCheckTime", Variant::FromWord(5000), true), 5000, 0, UINT16_MAX));
    }
  } catch (const Exception& e) {
    Message = e.Message();
    RaiseException(Message);
  }
  // The cache and the watchdog are made even when a step above failed, so the
  // store can still renew its connection.
  const int32_t slots = CacheSize;
  ConfigCache.SetSize(static_cast<size_t>(slots < 0 ? 0 : slots > MaxCacheSize ? MaxCacheSize : slots));
  HelperThread = std::make_unique<THelperThread>(FTiming.WatchdogTick);
  HelperThread->TimerTicks = 0;
  HelperThread->AdoCheckInterval = static_cast<uint32_t>(RegistryInteger(u"DbConCheckInterval", 1800));
  HelperThread->CheckCallBackProc = [this] { WStringCheckCallBackProc(); };
  HelperThread->Start(tpLower);
}

TvxConfigManager::~TvxConfigManager() {
  {
    std::lock_guard<std::mutex> hold(FClosingLock);
    FClosing = true;
  }
  FClosingWake.notify_all();
  HelperThread.reset();  // waits for a check that runs
  try {
    // Any operation still inside the lock has finished once it is ours.
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    ADODataSet.reset();
    ADOCommand.reset();
    if (ADOConnection) ADOConnection->Close();
    ADOConnection.reset();
  } catch (const Exception& e) {
    Message = e.Message();
  }
}

bool TvxConfigManager::PauseUnlessClosing(std::chrono::milliseconds Pause) {
  std::unique_lock<std::mutex> hold(FClosingLock);
  return !FClosingWake.wait_for(hold, Pause, [this] { return FClosing; });
}

bool TvxConfigManager::OpenConnection(TADOConnection& Connection, int32_t TimeoutSeconds) {
  Connection.ConnectionTimeout = TimeoutSeconds;
  Connection.CommandTimeout = RegistryInteger(u"DbConCmdTimeout", 180);
  Connection.Open();
  return Connection.Connected();
}

ustring TvxConfigManager::ProviderName() { return ADOConnection ? ADOConnection->Provider() : ustring(); }

ustring TvxConfigManager::ConnectionStatus() {
  try {
    return ADOConnection ? ADOConnection->Properties(u"Connection Status") : ustring();
  } catch (const Exception&) {
    return u"-1";
  }
}

TTableStructureType TvxConfigManager::GetTableStructureType() {
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  try {
    OpenDataSet(u"SELECT ID,PARENTID,KEYNAME,DIMENSION,DATATYPE,KEYVALUE,CHANGEUSER,CHANGEDATE FROM " + CfgTabName +
                    u" WHERE ID = :FAKEID",
                {{u"FAKEID", Variant(u"NIL")}});
    ADODataSet->Close();
    return TST_V2;
  } catch (const Exception&) {
    return TST_V1;
  }
}

bool TvxConfigManager::ExtendRecord(TADODataSet& DataSet) {
  if (TableStructureType == TST_V2 && TrackChanges) {
    DataSet.FieldByName(u"CHANGEUSER").SetAsString(Username);
    DataSet.FieldByName(u"CHANGEDATE").SetAsDateTime(vxRuntime::Now());
  }
  return true;
}

bool TvxConfigManager::ExtendRecord(TADODataSet& DataSet, const ustring& User, TDateTime Date,
                                    bool ForceTrackChanges) {
  if (TableStructureType == TST_V2 && (TrackChanges || ForceTrackChanges) && !User.empty()) {
    DataSet.FieldByName(u"CHANGEUSER").SetAsString(User);
    DataSet.FieldByName(u"CHANGEDATE").SetAsDateTime(Date);
  }
  return true;
}

bool TvxConfigManager::IsTIdStringEmpty(const TIdType& Id) {
  // A printable ASCII character stays whatever is trimmed (the usual id).
  for (const char c : Id.View())
    if (c > ' ' && c < 0x7F) return false;
  return TrimKey(Id.WideStr()).empty();
}

void TvxConfigManager::RaiseException(const ustring& MyMessage) {
  if (RaiseExceptions) throw Exception(MyMessage);
}

void TvxConfigManager::Failed(const Exception& Error) {
  Message = Error.Message();
  bool down = false;
  CheckConnection(down);
  // The check's text replaces the failure's only when it tells of a connection
  // that was down: the routine renewal of a healthy one says nothing of it.
  if (!down) Message = Error.Message();
  RaiseException(Message);
}

void TvxConfigManager::WStringCheckCallBackProc() { CheckADOConnection(); }

bool TvxConfigManager::CheckADOConnection() {
  bool down = false;
  return CheckConnection(down);
}

bool TvxConfigManager::CheckConnection(bool& WasDown) {
  WasDown = true;
  if (FTiming.CheckObserver) FTiming.CheckObserver(true);
  struct TEnd {
    const TConfigManagerTiming& Timing;
    ~TEnd() {
      if (Timing.CheckObserver) Timing.CheckObserver(false);
    }
  } end{FTiming};
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  try {
    const int32_t count = ++ADOConCheckCount;
    const ustring remembered = ADOConnection ? ADOConnection->ConnectionString() : ConnectionString;
    const ustring status = ConnectionStatus();
    WasDown = status != u"1";
    if (!WasDown && count % 5 != 0) return true;
    // A new connection would end an open transaction unseen, and the rest
    // of its work would run without it: the transaction fails instead.
    if (FTransactionDepth > 0) {
      if (!WasDown) return true;
      Message = u"database connection to " + ProviderName() + u" is still offline - possible network or database problem";
      return false;
    }
    try {
      if (ADOConnection) ADOConnection->Close();
    } catch (const Exception&) {
      // Renewed all the same.
    }
    // Give a connection that is down a moment; a healthy one renewed on its
    // fifth check needs none.
    if (status != u"1" && !PauseUnlessClosing(FTiming.RenewPause)) {
      Message = u"database connection to " + ProviderName() + u" is still offline - possible network or database problem";
      return false;
    }
    ADOConnection = std::make_unique<TADOConnection>(remembered);
    ADODataSet->Close();
    ADODataSet->SetConnection(ADOConnection.get());
    ADOCommand->SetConnection(ADOConnection.get());
    if (OpenConnection(*ADOConnection, RegistryInteger(u"DbConTimeout", 120))) {
      Message = u"database connection to " + ProviderName() + u" successful restored";
      return true;
    }
    Message = u"database connection to " + ProviderName() + u" is still offline - possible network or database problem";
    return false;
  } catch (const Exception& e) {
    Message = u"error during database connection check (" + e.Message() + u")";
    return false;
  }
}

bool TvxConfigManager::IsConnected() {
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  try {
    const ustring status = ConnectionStatus();
    if (status == u"1") {
      Message = u"database connection is online";
      return true;
    }
    Message = u"database connection to " + ProviderName() + u" is offline (state = " + status + u")";
    return false;
  } catch (const Exception& e) {
    Message = u"error during database connection check (" + e.Message() + u")";
    return false;
  }
}

ustring TvxConfigManager::FirstRowStatement(TvxDatabaseType DatabaseType, const ustring& Table) {
  const ustring condition = u" WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE";
  switch (DatabaseType) {
    case vxDBT_MSSQL:
      return u"SELECT TOP 1 ID FROM " + Table + condition;
    case vxDBT_MySQL:
      return u"SELECT ID FROM " + Table + condition + u" LIMIT 0,1";
    case vxDBT_Oracle:
      return u"SELECT ID FROM " + Table + condition + u" AND ROWNUM <= 1";
    case vxDBT_SQLite:
    case vxDBT_PostgreSQL:
      return u"SELECT ID FROM " + Table + condition + u" LIMIT 1";
    default:
      throw Exception(u"unsupported database type");
  }
}

void TvxConfigManager::OpenDataSet(const ustring& Sql,
                                   std::initializer_list<std::pair<const char16_t*, Variant>> Params) {
  ADODataSet->Close();
  ADODataSet->SetCommandText(Sql);
  for (const auto& [name, value] : Params) ADODataSet->Parameters().ParamByName(name).Value = value;
  ADODataSet->Open();
}
