// TvxVarlo: the host installation environment, read anew on every call
// from the registry, the environment, the file system and this module's
// version block.
#include "foundation/vxVarlo.h"

#include <array>
#include <initializer_list>

#include "core/vxConversion.h"
#include "core/vxFilesPaths.h"
#include "core/vxRegistry.h"
#include "core/vxStringsPad.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsFolders.h"
#include "core/vxToolsModule.h"
#include "core/vxToolsSystem.h"
#include "core/vxVersionTools.h"
#include "foundation/vxADO.h"
#include "foundation/vxSQL.h"
#include "foundation/vxVarloSeams.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxShellFolders.h"

namespace TvxVarlo {
namespace {

constexpr char16_t SystemKey[] = u"SOFTWARE\\varlo\\System\\";
// The sibling recognition product whose folder may hold the OCR engine.
constexpr char16_t RecognitionKey[] = u"SOFTWARE\\varlo\\Recognition\\";
constexpr char16_t MakerCopyright[] = u"Copyright (c) varlo";
constexpr char16_t Development[] = u"development build";
constexpr char16_t ClusterRoot[] = u"/varlo/Software/varlo enterprise daemon/";

ustring Decimal(int64_t n) { return AnsiToWide(TvxConversion::IntToStr(n)); }

// Folder + each name followed by the platform's delimiter.
ustring Below(ustring Folder, std::initializer_list<ustring> Names) {
  for (const ustring& name : Names) {
    Folder += name;
    Folder += vxFileSystem::PathDelim;
  }
  return Folder;
}

bool IsText(const Variant& v) {
  return v.VarType() == varUString || v.VarType() == varString || v.VarType() == varOleStr;
}

// Registry reads typed as the Part's table says; a stored value of another
// type counts as missing and gives Default.
ustring ReadText(HKEY Root, const ustring& Name, const ustring& Default) {
  try {
    const Variant v = TvxRegistry::GetValue(Root, SystemKey, Name, Variant(Default), false);
    return IsText(v) ? v.AsString() : Default;
  } catch (...) {
    return Default;
  }
}

bool ReadBool(HKEY Root, const ustring& Name, bool Default) {
  try {
    const Variant v = TvxRegistry::GetValue(Root, SystemKey, Name, Variant(Default), false);
    return v.VarType() == varBoolean ? v.AsBoolean() : Default;
  } catch (...) {
    return Default;
  }
}

int32_t ReadInt(HKEY Root, const ustring& Name, int32_t Default) {
  try {
    const Variant v = TvxRegistry::GetValue(Root, SystemKey, Name, Variant(Default), false);
    return v.VarType() == varInteger ? v.AsInteger() : Default;
  } catch (...) {
    return Default;
  }
}

bool HasValue(const ustring& Name) {
  try {
    return TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, SystemKey, Name);
  } catch (...) {
    return false;
  }
}

ustring HostFolder() { return vxFileSystem::ExtractFilePath(vxVarloSeams::HostExecutable()); }

ustring PlatformText(TvxOSPlatform OSPlatform) { return TvxTypes::GetOSPlatformStr(OSPlatform); }

ustring EngineKind(TEngineType EngineType) {
  switch (EngineType) {
    case vxET_ExportService: return u"export";
    case vxET_ConversionEngine: return u"conversion";
    case vxET_UserExit: return u"userexit";
    case vxET_RecognitionEngine: return u"recognition";
    default: return u"";
  }
}

ustring OCREngineFolder(TvxOCREngine OCREngine) {
  switch (OCREngine) {
    case vxOCR_FineReader: return Below(u"", {u"finereader", u"data"});
    case vxOCR_Transym: return Below(u"", {u"transym"});
    case vxOCR_Tesseract: return Below(u"", {u"tesseract"});
    case vxOCR_Nicomsoft: return Below(u"", {u"nicomsoft"});
    default: return u"";
  }
}

bool Contains(const ustring& Text, const ustring& Part) { return Text.find(Part) != ustring::npos; }
bool BeginsWith(const ustring& Text, const ustring& Part) { return Text.compare(0, Part.size(), Part) == 0; }

// The module's version texts; False without a version block.
bool ModuleInfo(TvxFileInfo& Info) { return TvxTools::GetFileInfo(vxVarloSeams::ModuleFile(), Info); }

// The executable names of the family's services and tools with their titles.
struct TServiceTitle {
  const char16_t* FileName;
  const char16_t* Title;
};
constexpr TServiceTitle ServiceTitles[] = {
    {u"vxworkflowsrv.exe", u"VARLO WORKFLOW SERVICE"},
    {u"vximportsrv.exe", u"VARLO IMPORT SERVICE"},
    {u"vxrecognitionsrv.exe", u"VARLO RECOGNITION SERVICE"},
    {u"vxconversionsrv.exe", u"VARLO CONVERSION SERVICE"},
    {u"vxexportsrv.exe", u"VARLO EXPORT SERVICE"},
    {u"vxarchivesrv.exe", u"VARLO ARCHIVE SERVICE"},
    {u"vxindexsrv.exe", u"VARLO INDEX SERVICE"},
    {u"vxclassificationsrv.exe", u"VARLO CLASSIFICATION SERVICE"},
    {u"vxvalidationsrv.exe", u"VARLO VALIDATION SERVICE"},
    {u"vxmailsrv.exe", u"VARLO MAIL SERVICE"},
    {u"vxscansrv.exe", u"VARLO SCAN SERVICE"},
    {u"vxprintsrv.exe", u"VARLO PRINT SERVICE"},
    {u"vxfaxsrv.exe", u"VARLO FAX SERVICE"},
    {u"vxwebsrv.exe", u"VARLO WEB SERVICE"},
    {u"vxenterprisesrv.exe", u"VARLO ENTERPRISE DAEMON"},
    {u"vxmonitorsrv.exe", u"VARLO MONITOR SERVICE"},
    {u"vxconsole.exe", u"VARLO CONSOLE"},
    {u"vxconfig.exe", u"VARLO CONFIGURATION"},
};

constexpr std::array<int32_t, 16> DefaultPorts = {4410, 4420, 4610, 4520, 4540, 4580, 4490, 4440,
                                                  4450, 4500, 4430, 4620, 4630, 4590, 4040, 4670};

constexpr const char* PriorityNames[] = {"Idle", "Lowest", "Lower", "Normal", "Higher", "Highest", "Timecritical"};

}  // namespace

// ---- Installation and folders ----

ustring GetSysPath() {
  try {
    ustring path = TvxFiles::CheckPathExt(ReadText(HKEY_LOCAL_MACHINE, u"Path", u""));
    // Our registry has one view, so the 64-bit view of a 32-bit host adds
    // nothing here.
    if (vxRuntime::Trim(path).empty()) path = TvxFiles::CheckPathExt(TvxTools::GetEnvironmentString(u"VARLOSYS"));
    if (vxRuntime::Trim(path).empty()) path = HostFolder();
    return path;
  } catch (...) {
    return HostFolder();
  }
}

ustring GetConfigPath() { return Below(GetSysPath(), {u"cfg"}); }
ustring GetBinaryPath() { return Below(GetSysPath(), {u"sys"}); }
ustring GetPubRootPath() { return Below(GetSysPath(), {u"sys", u"pub"}); }
ustring GetSupplyPath() { return Below(GetSysPath(), {u"sys", u"pub", u"supply"}); }

ustring GetBackupPath() {
  const ustring path = Below(GetSysPath(), {u"sys", u"backup"});
  TvxFiles::CreatePath(path, true);
  return path;
}

ustring GetComponentPath(int32_t Version) {
  const ustring path = Below(GetSysPath(), {u"sys", u"com"});
  return Version == -1 ? path : Below(path, {Decimal(Version)});
}

ustring GetPluginsPath() { return Below(GetSysPath(), {u"sys", u"plugins"}); }

ustring GetPluginsUploadPath(TvxOSPlatform OSPlatform) {
  return Below(GetPluginsPath(), {u"upload", PlatformText(OSPlatform)});
}

ustring GetPluginsUpdatePath(TvxOSPlatform OSPlatform) {
  return Below(GetPluginsPath(), {u"updates", PlatformText(OSPlatform)});
}

ustring GetPluginsSupplyPath(TvxOSPlatform OSPlatform, TEngineType EngineType) {
  return Below(GetPluginsPath(), {u"supply", EngineKind(EngineType), PlatformText(OSPlatform)});
}

ustring GetLogPath() { return Below(GetSysPath(), {u"log"}); }
ustring GetBatchLogPath() { return Below(GetSysPath(), {u"log", u"batch"}); }
ustring GetDataPath() { return Below(GetSysPath(), {u"data"}); }
ustring GetBlobPath() { return Below(GetSysPath(), {u"data", u"blobs"}); }
ustring GetDataBackupPath() { return Below(GetSysPath(), {u"backup"}); }
ustring GetDocPath() { return Below(GetSysPath(), {u"doc"}); }
ustring GetPackagesPath() { return Below(GetSysPath(), {u"packages"}); }

bool IsVarloInstalled() {
  try {
    if (!HasValue(u"Path")) return false;
    if (!TvxFiles::PathExists(ReadText(HKEY_LOCAL_MACHINE, u"Path", u""))) return false;
    if (!TvxFiles::FileExists(GetConfigPath() + DataLinkFileName)) return false;
    return TvxFiles::FileExists(GetBinaryPath() + MainServiceFileName);
  } catch (...) {
    return false;
  }
}

ustring GetDebugPath() {
  const ustring param = TvxFiles::CheckPathExt(vxVarloSeams::StartParam(u"DebugPath", u"--", u""));
  if (!param.empty()) return param;
  if (HasValue(u"DebugPath")) {
    const ustring value = TvxFiles::CheckPathExt(ReadText(HKEY_LOCAL_MACHINE, u"DebugPath", u""));
    if (!value.empty()) return value;
  }
  return Below(GetSysPath(), {u"log", u"debug"});
}

ustring GetOCRDataPath(TvxOCREngine OCREngine) {
  const ustring base = IsVarloInstalled() ? Below(GetSysPath(), {u"sys", u"com", u"ocr"}) : Below(HostFolder(), {u"ocr"});
  return base + OCREngineFolder(OCREngine);
}

ustring GetFineReaderEnginePath() {
  constexpr char16_t engine[] = u"FREngine.dll";
  const ustring own = Below(GetSysPath(), {u"sys", u"com", u"fr10"}) + engine;
  if (TvxFiles::FileExists(own)) return own;
  ustring sibling;
  try {
    const Variant v = TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, RecognitionKey, u"Path", Variant(u""), false);
    if (IsText(v) && !vxRuntime::Trim(v.AsString()).empty())
      sibling = Below(TvxFiles::CheckPathExt(v.AsString()), {u"ocr", u"finereader", u"10"}) + engine;
  } catch (...) {
  }
  if (!sibling.empty() && TvxFiles::FileExists(sibling)) return sibling;
  return HostFolder() + engine;
}

ustring GetAppDataPath(bool Common) {
  const int32_t folder = Common ? vxFileSystem::CSIDL_COMMON_APPDATA : vxFileSystem::CSIDL_LOCAL_APPDATA;
  return Below(TvxTools::GetSpecialFolderPath(folder), {u"varlo"});
}

TvxCPUPlatform ModuleCPUPlatform() {
#if defined(__x86_64__) || defined(__aarch64__)
  return vxCPU_x64;
#elif defined(__i386__) || defined(__arm__)
  return vxCPU_x86;
#else
  return vxCPU_Unknown;
#endif
}

ustring GetPluginsWorkPath(TvxOSPlatform OSPlatform, const ustring& Service, int32_t InstanceId) {
  const ustring name = Service.empty() ? TvxFiles::ExtractPureFileName(vxVarloSeams::ModuleFile()) : Service;
  if (OSPlatform == vxOSP_Unknown) {
    switch (ModuleCPUPlatform()) {
      case vxCPU_x86: OSPlatform = vxOSP_Win32; break;
      case vxCPU_x64: OSPlatform = vxOSP_Win64; break;
      default: throw Exception("unknown cpu platform for runtime application");
    }
  }
  const ustring path = Below(GetAppDataPath(false), {u"plugins", u"work",
                                                     LowerStrW(name) + u"-" + TvxStrings::FillIntNullW(InstanceId, 3) + u"~~~",
                                                     PlatformText(OSPlatform)});
  TvxFiles::CreatePath(path, true);
  return path;
}

ustring GetTempPath(bool CheckAndCreatePath, bool ServiceSpecific) {
  ustring path;
  try {
    path = IsVarloInstalled() ? Below(GetSysPath(), {u"sys", u"temp"}) : TvxFiles::GetTempPath();
  } catch (...) {
    path = TvxFiles::GetTempPath();
  }
  try {
    if (ServiceSpecific) {
      const int64_t instance = TvxConversion::StrToInt(vxVarloSeams::StartParam(u"instanceid", u"--", u"0"), 0);
      path = Below(path, {GetProgramTechName() + u"-" + TvxStrings::FillIntNullW(instance, 3) + u"~~~"});
    }
    if (CheckAndCreatePath) TvxFiles::CreatePath(path, true);
  } catch (...) {
    // The folder is returned all the same.
  }
  return path;
}

ustring GetTempWorkPath() {
  const ustring path = Below(GetTempPath(false, false), {u"work-" + TvxTools::CreateId().WideStr() + u"~~~"});
  TvxFiles::CreatePath(path, true);
  return path;
}

bool StyleDefinitionExists() { return TvxFiles::FileExists(GetStyleDefinitionPath()); }

ustring GetStyleDefinitionPath() {
  const ustring beside = HostFolder() + StyleFileName;
  if (TvxFiles::FileExists(beside)) return beside;
  return GetConfigPath() + StyleFileName;
}

ustring GetLanguage(const ustring& Default) {
  const ustring machine = ReadText(HKEY_LOCAL_MACHINE, u"Language", vxVarloSeams::ShortLanguage(Default));
  return UpperStrW(ReadText(HKEY_CURRENT_USER, u"Language", machine));
}

// ---- Version texts of this module ----

ustring GetProductVersion() {
  TvxFileInfo info;
  if (!ModuleInfo(info)) return u"unknown";
  const ustring& version = info.ProductVersion;
  if (Contains(version, DevelopmentMarker) || Contains(version, u"9999.9999.9999.9999") ||
      vxRuntime::Trim(version).empty())
    return Development;
  return version;
}

TvxVersion GetProductTvxVersion() { return TvxVersionTools::GetVersionFromStr(GetProductVersion()); }

ustring GetProgramVersionString() {
  const ustring cpu = TvxTypes::GetCPUPlatformStr(ModuleCPUPlatform());
  TvxFileInfo info;
  const ustring module = vxVarloSeams::ModuleFile();
  if (!TvxTools::GetFileInfo(module, info)) return u"unknown build (" + cpu + u")";
  const ustring& version = info.ProductVersion;
  const bool development = BeginsWith(version, DevelopmentMarker) || BeginsWith(version, u"9999.9999.") ||
                           vxRuntime::Trim(version).empty();
  return AnsiToWide(TvxVersionTools::GetInternalFileVersionStr(module)) + u" (" + cpu + u") " +
         (development ? ustring(Development) : u"release " + version);
}

ustring GetProgramName() {
  TvxFileInfo info;
  if (ModuleInfo(info) && !Contains(info.FileDescription, DevelopmentMarker) &&
      !vxRuntime::Trim(info.LegalCopyright).empty())
    return info.FileDescription;
  const ustring host = LowerStrW(vxFileSystem::ExtractFileName(vxVarloSeams::HostExecutable()));
  for (const TServiceTitle& title : ServiceTitles)
    if (host == title.FileName) return title.Title;
  return u"Unknown";
}

ustring GetProgramTechName() {
  return LowerStrW(TvxFiles::ExtractPureFileName(vxFileSystem::ExtractFileName(vxVarloSeams::HostExecutable())));
}

ustring GetProductCopyright() {
  TvxFileInfo info;
  if (ModuleInfo(info) && !vxRuntime::Trim(info.LegalCopyright).empty() &&
      !Contains(info.LegalCopyright, DevelopmentMarker))
    return info.LegalCopyright;
  return MakerCopyright;
}

// ---- Database ----

TvxDatabaseType GetDatabaseType(bool GetCommonType, TvxDatabaseType Default) {
  const ustring type = UpperStrW(ReadText(HKEY_LOCAL_MACHINE, u"DatabaseType", u"MSSQL"));
  struct TName {
    const char16_t* Name;
    TvxDatabaseType Type;
  };
  // SQLite and PostgreSQL, the databases of this platform, come last.
  static constexpr TName common[] = {{u"K7", vxDBT_K7},         {u"MSSQL", vxDBT_MSSQL},
                                     {u"MYSQL", vxDBT_MySQL},   {u"ORACLE", vxDBT_Oracle},
                                     {u"DB2", vxDBT_DB2},       {u"INFORMIX", vxDBT_Informix},
                                     {u"SQLITE", vxDBT_SQLite}, {u"POSTGRESQL", vxDBT_PostgreSQL}};
  static constexpr TName exact[] = {
      {u"K7", vxDBT_K7},           {u"MSSQL2000", vxDBT_MSSQL2000}, {u"MSSQL2005", vxDBT_MSSQL2005},
      {u"MSSQL2008", vxDBT_MSSQL2008}, {u"MSSQL2012", vxDBT_MSSQL2012}, {u"MSSQL2014", vxDBT_MSSQL2014},
      {u"MSSQL2016", vxDBT_MSSQL2016}, {u"MSSQL", vxDBT_MSSQL},         {u"MYSQL", vxDBT_MySQL},
      {u"ORACLE", vxDBT_Oracle},   {u"DB2", vxDBT_DB2},             {u"INFORMIX", vxDBT_Informix},
      {u"SQLITE", vxDBT_SQLite},   {u"POSTGRESQL", vxDBT_PostgreSQL}};
  if (GetCommonType) {
    for (const TName& n : common)
      if (BeginsWith(type, n.Name)) return n.Type;
  } else {
    for (const TName& n : exact)
      if (type == n.Name) return n.Type;
  }
  return Default;
}

ustring GetConnectionString(bool FileLink) {
  const ustring file = GetConfigPath() + DataLinkFileName;
  if (FileLink) return u"FILE NAME=" + file;
  return vxVarloSeams::ConnectionStringFromUdl(file);
}

bool IsDatabaseAvailable() {
  if (!IsVarloInstalled()) return false;
  try {
    TADOConnection connection(GetConnectionString(false));
    connection.Open();
    connection.Close();
    return true;
  } catch (...) {
    return false;
  }
}

ustring GetDatabaseVersion() {
  const TvxDatabaseType type = GetDatabaseType(true, vxDBT_MSSQL);
  const ustring name = TvxTypes::GetDatabaseTypeStr(type);
  try {
    ustring command;
    switch (type) {
      case vxDBT_MSSQL:
        command = u"SELECT SERVERPROPERTY(\"PRODUCTVERSION\"), SERVERPROPERTY (\"PRODUCTLEVEL\"), "
                  u"SERVERPROPERTY (\"EDITION\")";
        break;
      case vxDBT_MySQL: command = u"SELECT VERSION()"; break;
      case vxDBT_Oracle: command = u"SELECT * FROM V$VERSION"; break;
      case vxDBT_SQLite: command = u"SELECT sqlite_version()"; break;
      case vxDBT_PostgreSQL: command = u"SELECT version()"; break;
      default: throw Exception(u"invalid database type (" + name + u")!");
    }
    TvxADODataSet data;
    data.SetConnectionString(GetConnectionString(false));
    data.SetCommandText(TvxSQL::PrepareSQL(command));
    data.Open();
    ustring fields;
    if (!data.Eof())
      for (int32_t i = 0; i < data.FieldCount(); ++i) fields += data.Fields(i).AsString() + u" ";
    for (char16_t& c : fields)
      if (c == u'\r' || c == u'\n') c = u' ';
    return name + u" (" + vxRuntime::Trim(fields) + u")";
  } catch (const Exception& e) {
    return u"Unable to get database version for " + name + u" (" + e.Message() + u")";
  }
}

// ---- Cluster, services and switches ----

int32_t GetClusterNode() {
  const int32_t node = ReadInt(HKEY_LOCAL_MACHINE, u"ClusterNode", 0);
  return node < 0 ? 0 : node;
}

ustring GetK7ClusterNodePath(int32_t ClusterNode) {
  return ClusterRoot + ustring(u"Cluster/Node ") + Decimal(ClusterNode);
}

ustring GetK7ClusterNodeServicePath(const ustring& Service, int32_t ClusterNode, int32_t InstanceId) {
  ustring path = ClusterRoot + ustring(u"Services/") + Service + u"/Cluster/Node " + Decimal(ClusterNode);
  if (InstanceId >= 0) path += u"/Instance " + Decimal(InstanceId);
  return path;
}

int32_t GetDefaultServicePort(TvxEnterpriseService Service) {
  const size_t i = static_cast<size_t>(Service);
  return i < DefaultPorts.size() ? DefaultPorts[i] : 0;
}

bool IsDevModeActive() {
  return ReadBool(HKEY_LOCAL_MACHINE, u"Development", false) ||
         TvxConversion::StrToBool(vxVarloSeams::StartParam(u"Debug", u"--", u"false"));
}

bool IsDocuModeActive() {
  return ReadBool(HKEY_CURRENT_USER, u"DocuMode", ReadBool(HKEY_LOCAL_MACHINE, u"DocuMode", false));
}

TvxThemeOption IsVarloThemeActive() {
  const bool active = ReadBool(HKEY_CURRENT_USER, u"ThemeActive", ReadBool(HKEY_LOCAL_MACHINE, u"ThemeActive", false));
  return active ? vxTO_Enabled : vxTO_Disabled;
}

bool IsProxy() { return ReadBool(HKEY_LOCAL_MACHINE, u"Proxy", false); }

bool IsProxy(ustring& Name) {
  Name = ProxyName();
  return IsProxy();
}

ustring ProxyName() { return ReadText(HKEY_LOCAL_MACHINE, u"ProxyName", u"Default"); }

std::string GetPriorityStr(int32_t Priority) {
  if (Priority >= 0 && Priority <= 6) return PriorityNames[Priority];
  const std::string number = TvxConversion::IntToStr(Priority);
  if (Priority >= 7 && Priority <= 99999) return "Timecritical (" + number + ")";
  return "Unknown (" + number + ")";
}

int32_t GetPriorityFromStr(const std::string& Priority) {
  const std::string word = WideToAnsi(UpperStrW(AnsiToWide(Priority.substr(0, Priority.find(' ')))));
  static constexpr const char* names[] = {"IDLE", "LOWEST", "LOWER", "NORMAL", "HIGHER", "HIGHEST", "TIMECRITICAL"};
  for (int32_t i = 0; i < 7; ++i)
    if (word == names[i]) return i;
  return 0;
}

}  // namespace TvxVarlo
