// TvxVarlo: where and how the host product is installed on this machine.
// Its system folder and the folders below it, the temporary and plug-in
// work folders, the style file, the version texts of this module, the
// database type and connection string of the host's configuration
// database, configuration-store paths, default service ports, the host's
// registry switches and the names of thread priorities.
//
// Nothing is cached: every call reads the registry (HKEY_LOCAL_MACHINE
// "SOFTWARE\varlo\System\", some values overridden by HKEY_CURRENT_USER),
// the environment and the file system anew. A registry value of the wrong
// type counts as missing. Folders end with the platform's delimiter "/".
// What comes from units built elsewhere goes through vxVarloSeams.h.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"

namespace TvxVarlo {

// The host's main service in the binary folder.
inline constexpr char16_t MainServiceFileName[] = u"vxenterprisesrv.exe";
// The data-link file in the configuration folder.
inline constexpr char16_t DataLinkFileName[] = u"vxsyscfg.udl";
inline constexpr char16_t StyleFileName[] = u"vxStyle.xml";
// ProductVersion markers of a development build.
inline constexpr char16_t DevelopmentMarker[] = u"############################";  // 28 characters

bool IsVarloInstalled();
bool IsDevModeActive();
bool IsDocuModeActive();
TvxThemeOption IsVarloThemeActive();
bool IsProxy();
bool IsProxy(ustring& ProxyName);
ustring ProxyName();

bool IsDatabaseAvailable();
ustring GetDatabaseVersion();
TvxDatabaseType GetDatabaseType(bool GetCommonType, TvxDatabaseType Default);
ustring GetConnectionString(bool FileLink);

bool StyleDefinitionExists();
ustring GetStyleDefinitionPath();
ustring GetLanguage(const ustring& Default);

// The host's system folder: the registry value "Path", else $VARLOSYS,
// else the host executable's folder; never raises.
ustring GetSysPath();
ustring GetConfigPath();
ustring GetBinaryPath();
ustring GetPubRootPath();
ustring GetSupplyPath();
// Created when missing.
ustring GetBackupPath();
ustring GetComponentPath(int32_t Version);
ustring GetPluginsPath();
ustring GetPluginsUploadPath(TvxOSPlatform OSPlatform);
ustring GetPluginsUpdatePath(TvxOSPlatform OSPlatform);
ustring GetPluginsSupplyPath(TvxOSPlatform OSPlatform, TEngineType EngineType);
ustring GetLogPath();
ustring GetBatchLogPath();
ustring GetDataPath();
ustring GetBlobPath();
ustring GetDataBackupPath();
ustring GetDocPath();
ustring GetPackagesPath();
ustring GetDebugPath();
ustring GetOCRDataPath(TvxOCREngine OCREngine);
ustring GetFineReaderEnginePath();
ustring GetAppDataPath(bool Common);
// Created; raises "unknown cpu platform for runtime application" when
// OSPlatform is vxOSP_Unknown and this module is neither 32- nor 64-bit.
ustring GetPluginsWorkPath(TvxOSPlatform OSPlatform, const ustring& Service, int32_t InstanceId);
// The host's temporary folder (installed) or the system's; with
// ServiceSpecific a subfolder technical name + "-" + instance (3 digits) +
// "~~~"; with CheckAndCreatePath the folder is created. Never raises.
ustring GetTempPath(bool CheckAndCreatePath, bool ServiceSpecific);
// A fresh, created "work-" + identifier + "~~~" folder in GetTempPath.
ustring GetTempWorkPath();

// 'Major.Minor.Revision.Build (x64) release 5.2.0', or with "development
// build" at the end; "unknown build (x64)" without a version block.
ustring GetProgramVersionString();
ustring GetProductVersion();
TvxVersion GetProductTvxVersion();
ustring GetProgramName();
ustring GetProgramTechName();
ustring GetProductCopyright();

int32_t GetClusterNode();
ustring GetK7ClusterNodePath(int32_t ClusterNode);
ustring GetK7ClusterNodeServicePath(const ustring& Service, int32_t ClusterNode, int32_t InstanceId);
int32_t GetDefaultServicePort(TvxEnterpriseService Service);
// 8-bit texts.
std::string GetPriorityStr(int32_t Priority);
int32_t GetPriorityFromStr(const std::string& Priority);

// The processor type of this module: x86-64 and aarch64 count as the
// 64-bit platform (vxCPU_x64), 32-bit x86 and ARM as vxCPU_x86.
TvxCPUPlatform ModuleCPUPlatform();

}  // namespace TvxVarlo
