// TvxVarlo against a fresh registry folder, an injected environment
// (VARLOSYS, TMPDIR, the XDG folders), an injected host executable and
// start parameters, and this module's version texts from PE fixtures and
// from our own versioned shared library.
#include "foundation/vxVarlo.h"

// GCC 12 at -O3 warns falsely about overlapping copies in short u16string
// assignments inlined here.
#pragma GCC diagnostic ignored "-Wrestrict"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/vxRegistry.h"
#include "foundation/vxFoundationStartup.h"
#include "foundation/vxModuleDescription.h"
#include "foundation/vxVarloSeams.h"
#include "platform/base/vxCodePage.h"
#include "platform/registry/vxRegistryFolder.h"
#include "platform/version/vxVersionBlock.h"
#include "support/vxPeBuilder.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

constexpr char16_t Key[] = u"SOFTWARE\\varlo\\System\\";

ustring W(const std::string& s) { return Utf8ToWide(s); }

std::string MadeFolder(const std::string& path) {
  std::filesystem::create_directories(path);
  return path;
}

class VarloTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    Host = Dir.File("host") + "/";
    std::filesystem::create_directories(Dir.File("host"));
    vxVarloSeams::SetExecutableSource([this] { return W(Host + "VxMailSrv.exe"); });
    vxVarloSeams::SetStartParamReader([this](const ustring& Name, const ustring& Prefix, const ustring& Default) {
      ustring key = Prefix;
      key += Name;
      const auto it = Params.find(key);
      return it == Params.end() ? Default : it->second;
    });
  }
  void TearDown() override {
    vxVarloSeams::SetExecutableSource({});
    vxVarloSeams::SetModuleSource({});
    vxVarloSeams::SetStartParamReader({});
    vxVarloSeams::SetLanguageReader({});
    vxVarloSeams::SetUdlReader({});
    RegistryTest::TearDown();
  }

  void Set(HKEY Root, const ustring& Name, const Variant& Value) {
    ASSERT_TRUE(TvxRegistry::SetValue(Root, Key, Name, Value, false));
  }
  // A complete installation below Dir/inst/.
  std::string Install() {
    const std::string s = Dir.File("inst") + "/";
    std::filesystem::create_directories(s + "cfg");
    std::filesystem::create_directories(s + "sys");
    TTestTempDir::WriteBytes(s + "cfg/vxsyscfg.udl", "");
    TTestTempDir::WriteBytes(s + "sys/vxenterprisesrv.exe", "");
    Set(HKEY_LOCAL_MACHINE, u"Path", W(Dir.File("inst")));
    return s;
  }
  // "This module" is a PE file with the given version texts.
  void ModuleWith(const ustring& ProductVersion, const ustring& Description, const ustring& Copyright) {
    vxVersionBlock::TBlockContent content;
    const uint16_t file[4] = {5, 2, 0, 118};
    std::copy(file, file + 4, content.FileVersion);
    vxVersionBlock::TStringTable table;
    table.Values = {{u"ProductVersion", ProductVersion}, {u"FileDescription", Description},
                    {u"LegalCopyright", Copyright}, {u"FileVersion", u"5.2.0.118"}};
    content.StringTables = {table};
    content.TranslationList = {{table.Language, table.CodePage}};
    TTestTempDir::WriteBytes(Dir.File("module.dll"),
                             vxTest::TPeBuilder::Build(true, {{16, 1, 0, vxVersionBlock::Build(content)}}).Bytes);
    vxVarloSeams::SetModuleSource([this] { return Dir.WideFile("module.dll"); });
  }

  TTestTempDir Dir;
  std::string Host;
  std::map<ustring, ustring> Params;
  vxTest::TScopedEnv NoSys{"VARLOSYS", std::nullopt};
  vxTest::TScopedEnv Tmp{"TMPDIR", MadeFolder(Dir.File("tmp"))};
  vxTest::TScopedEnv Data{"XDG_DATA_HOME", Dir.File("data")};
  vxTest::TScopedEnv DataDirs{"XDG_DATA_DIRS", Dir.File("shared")};
};

TEST_F(VarloTest, NotInstalledEverythingLiesBelowTheHostExecutable) {
  EXPECT_FALSE(TvxVarlo::IsVarloInstalled());
  EXPECT_EQ(TvxVarlo::GetSysPath(), W(Host));
  EXPECT_EQ(TvxVarlo::GetTempPath(false, false), W(Dir.File("tmp") + "/"));
  EXPECT_EQ(TvxVarlo::GetTempPath(false, true), W(Dir.File("tmp") + "/vxmailsrv-000~~~/"));
  EXPECT_EQ(TvxVarlo::GetOCRDataPath(vxOCR_FineReader), W(Host + "ocr/finereader/data/"));
  EXPECT_EQ(TvxVarlo::GetStyleDefinitionPath(), W(Host + "cfg/vxStyle.xml"));
  EXPECT_FALSE(TvxVarlo::StyleDefinitionExists());
  TTestTempDir::WriteBytes(Host + "vxStyle.xml", "<x/>");
  EXPECT_EQ(TvxVarlo::GetStyleDefinitionPath(), W(Host + "vxStyle.xml"));
  EXPECT_TRUE(TvxVarlo::StyleDefinitionExists());
  EXPECT_EQ(TvxVarlo::GetFineReaderEnginePath(), W(Host + "FREngine.dll"));
  EXPECT_FALSE(TvxVarlo::IsDatabaseAvailable());
  {
    vxTest::TScopedEnv sys("VARLOSYS", Dir.File("env"));
    EXPECT_EQ(TvxVarlo::GetSysPath(), W(Dir.File("env") + "/"));
  }
}

TEST_F(VarloTest, FoldersBelowTheSystemFolder) {
  for (const std::string& value : {Dir.File("inst"), Dir.File("inst") + "/"}) {
    Set(HKEY_LOCAL_MACHINE, u"Path", W(value));
    const ustring s = W(Dir.File("inst") + "/");
    const std::pair<ustring, const char16_t*> cases[] = {
        {TvxVarlo::GetSysPath(), u""},
        {TvxVarlo::GetConfigPath(), u"cfg/"},
        {TvxVarlo::GetBinaryPath(), u"sys/"},
        {TvxVarlo::GetPubRootPath(), u"sys/pub/"},
        {TvxVarlo::GetSupplyPath(), u"sys/pub/supply/"},
        {TvxVarlo::GetComponentPath(-1), u"sys/com/"},
        {TvxVarlo::GetComponentPath(3), u"sys/com/3/"},
        {TvxVarlo::GetPluginsPath(), u"sys/plugins/"},
        {TvxVarlo::GetPluginsUploadPath(vxOSP_Win64), u"sys/plugins/upload/Win64/"},
        {TvxVarlo::GetPluginsUpdatePath(vxOSP_Common), u"sys/plugins/updates/Common/"},
        {TvxVarlo::GetPluginsSupplyPath(vxOSP_Win32, vxET_ExportService), u"sys/plugins/supply/export/Win32/"},
        {TvxVarlo::GetPluginsSupplyPath(vxOSP_Win32, vxET_RecognitionEngine), u"sys/plugins/supply/recognition/Win32/"},
        {TvxVarlo::GetPluginsSupplyPath(vxOSP_Unknown, vxET_WorkerEngine), u"sys/plugins/supply//Unknown/"},
        {TvxVarlo::GetLogPath(), u"log/"},
        {TvxVarlo::GetBatchLogPath(), u"log/batch/"},
        {TvxVarlo::GetDataPath(), u"data/"},
        {TvxVarlo::GetBlobPath(), u"data/blobs/"},
        {TvxVarlo::GetDataBackupPath(), u"backup/"},
        {TvxVarlo::GetDocPath(), u"doc/"},
        {TvxVarlo::GetPackagesPath(), u"packages/"},
        {TvxVarlo::GetDebugPath(), u"log/debug/"},
        {TvxVarlo::GetConnectionString(true), u"FILE NAME="},
    };
    for (const auto& [actual, suffix] : cases) {
      if (ustring(suffix) == u"FILE NAME=") {
        EXPECT_EQ(actual, ustring(u"FILE NAME=") + s + u"cfg/vxsyscfg.udl");
      } else {
        EXPECT_EQ(actual, s + suffix);
      }
    }
    EXPECT_EQ(TvxVarlo::GetBackupPath(), s + u"sys/backup/");
    EXPECT_TRUE(std::filesystem::is_directory(Dir.File("inst") + "/sys/backup"));
    EXPECT_FALSE(TvxVarlo::IsVarloInstalled());  // no data-link file, no main service
  }
}

TEST_F(VarloTest, InstalledHostGivesItsTemporaryAndOcrFolders) {
  const std::string s = Install();
  EXPECT_TRUE(TvxVarlo::IsVarloInstalled());
  EXPECT_EQ(TvxVarlo::GetTempPath(false, false), W(s + "sys/temp/"));
  EXPECT_FALSE(std::filesystem::exists(s + "sys/temp"));
  Params[u"--instanceid"] = u"7";
  EXPECT_EQ(TvxVarlo::GetTempPath(true, true), W(s + "sys/temp/vxmailsrv-007~~~/"));
  EXPECT_TRUE(std::filesystem::is_directory(s + "sys/temp/vxmailsrv-007~~~"));
  EXPECT_EQ(TvxVarlo::GetOCRDataPath(vxOCR_Tesseract), W(s + "sys/com/ocr/tesseract/"));
  EXPECT_EQ(TvxVarlo::GetOCRDataPath(vxOCR_MSO), W(s + "sys/com/ocr/"));
  const ustring work = TvxVarlo::GetTempWorkPath();
  ASSERT_EQ(work.size(), W(s + "sys/temp/").size() + 5 + 32 + 4);
  EXPECT_EQ(work.substr(0, W(s + "sys/temp/work-").size()), W(s + "sys/temp/work-"));
  EXPECT_EQ(work.substr(work.size() - 4), u"~~~/");
  EXPECT_TRUE(std::filesystem::is_directory(WideToUtf8(work)));
  // Each missing part makes the host not installed.
  std::filesystem::remove(s + "sys/vxenterprisesrv.exe");
  EXPECT_FALSE(TvxVarlo::IsVarloInstalled());
  EXPECT_EQ(TvxVarlo::GetTempPath(false, false), W(Dir.File("tmp") + "/"));
}

TEST_F(VarloTest, WrongRegistryTypesGiveTheDefaults) {
  Set(HKEY_LOCAL_MACHINE, u"Path", Variant(int32_t{5}));
  Set(HKEY_LOCAL_MACHINE, u"ClusterNode", Variant(u"5"));
  Set(HKEY_LOCAL_MACHINE, u"Development", Variant(u"yes"));
  Set(HKEY_LOCAL_MACHINE, u"ProxyName", Variant(int32_t{1}));
  Set(HKEY_LOCAL_MACHINE, u"DatabaseType", Variant(int32_t{2}));
  EXPECT_EQ(TvxVarlo::GetSysPath(), W(Host));
  EXPECT_EQ(TvxVarlo::GetClusterNode(), 0);
  EXPECT_FALSE(TvxVarlo::IsDevModeActive());
  EXPECT_EQ(TvxVarlo::ProxyName(), u"Default");
  EXPECT_EQ(TvxVarlo::GetDatabaseType(false, vxDBT_Unknown), vxDBT_MSSQL);
  // An unreadable registry folder: the defaults as well.
  vxTest::TScopedEnv registry("VARLO_REGISTRY", "/proc/version/none");
  EXPECT_EQ(TvxVarlo::GetSysPath(), W(Host));
  EXPECT_FALSE(TvxVarlo::IsVarloInstalled());
}

TEST_F(VarloTest, SwitchesAndUserOverMachine) {
  EXPECT_FALSE(TvxVarlo::IsDevModeActive());
  Params[u"--Debug"] = u"yes";
  EXPECT_TRUE(TvxVarlo::IsDevModeActive());
  Params.clear();
  Set(HKEY_LOCAL_MACHINE, u"Development", Variant(true));
  EXPECT_TRUE(TvxVarlo::IsDevModeActive());

  EXPECT_FALSE(TvxVarlo::IsDocuModeActive());
  EXPECT_EQ(TvxVarlo::IsVarloThemeActive(), vxTO_Disabled);
  Set(HKEY_LOCAL_MACHINE, u"DocuMode", Variant(true));
  Set(HKEY_LOCAL_MACHINE, u"ThemeActive", Variant(true));
  EXPECT_TRUE(TvxVarlo::IsDocuModeActive());
  EXPECT_EQ(TvxVarlo::IsVarloThemeActive(), vxTO_Enabled);
  Set(HKEY_CURRENT_USER, u"DocuMode", Variant(false));
  Set(HKEY_CURRENT_USER, u"ThemeActive", Variant(false));
  EXPECT_FALSE(TvxVarlo::IsDocuModeActive());
  EXPECT_EQ(TvxVarlo::IsVarloThemeActive(), vxTO_Disabled);

  ustring name = u"x";
  EXPECT_FALSE(TvxVarlo::IsProxy(name));
  EXPECT_EQ(name, u"Default");
  Set(HKEY_LOCAL_MACHINE, u"Proxy", Variant(true));
  Set(HKEY_LOCAL_MACHINE, u"ProxyName", Variant(u"corporate"));
  EXPECT_TRUE(TvxVarlo::IsProxy());
  EXPECT_TRUE(TvxVarlo::IsProxy(name));
  EXPECT_EQ(name, u"corporate");

  vxVarloSeams::SetLanguageReader([](const ustring&) { return ustring(u"DE"); });
  EXPECT_EQ(TvxVarlo::GetLanguage(u"EN"), u"DE");
  Set(HKEY_LOCAL_MACHINE, u"Language", Variant(u"fr"));
  EXPECT_EQ(TvxVarlo::GetLanguage(u"EN"), u"FR");
  Set(HKEY_CURRENT_USER, u"Language", Variant(u"it"));
  EXPECT_EQ(TvxVarlo::GetLanguage(u"EN"), u"IT");

  Params[u"--DebugPath"] = W(Dir.File("dbg"));
  EXPECT_EQ(TvxVarlo::GetDebugPath(), W(Dir.File("dbg") + "/"));
  Params.clear();
  Set(HKEY_LOCAL_MACHINE, u"DebugPath", Variant(W(Dir.File("regdbg"))));
  EXPECT_EQ(TvxVarlo::GetDebugPath(), W(Dir.File("regdbg") + "/"));
}

TEST_F(VarloTest, DatabaseTypeClusterPortsAndPriorities) {
  struct TypeCase {
    const char16_t* Stored;
    TvxDatabaseType Common, Exact;
  };
  const TypeCase types[] = {
      {nullptr, vxDBT_MSSQL, vxDBT_MSSQL},       {u"mssql2014", vxDBT_MSSQL, vxDBT_MSSQL2014},
      {u"MySQL", vxDBT_MySQL, vxDBT_MySQL},      {u"oracle12", vxDBT_Oracle, vxDBT_Unknown},
      {u"K7", vxDBT_K7, vxDBT_K7},               {u"sybase", vxDBT_Unknown, vxDBT_Unknown},
      {u"SQLite", vxDBT_SQLite, vxDBT_SQLite},   {u"postgresql", vxDBT_PostgreSQL, vxDBT_PostgreSQL},
  };
  for (const TypeCase& c : types) {
    if (c.Stored) Set(HKEY_LOCAL_MACHINE, u"DatabaseType", Variant(c.Stored));
    EXPECT_EQ(TvxVarlo::GetDatabaseType(true, vxDBT_Unknown), c.Common);
    EXPECT_EQ(TvxVarlo::GetDatabaseType(false, vxDBT_Unknown), c.Exact);
  }

  EXPECT_EQ(TvxVarlo::GetClusterNode(), 0);
  Set(HKEY_LOCAL_MACHINE, u"ClusterNode", Variant(int32_t{-3}));
  EXPECT_EQ(TvxVarlo::GetClusterNode(), 0);
  Set(HKEY_LOCAL_MACHINE, u"ClusterNode", Variant(int32_t{4}));
  EXPECT_EQ(TvxVarlo::GetClusterNode(), 4);
  EXPECT_EQ(TvxVarlo::GetK7ClusterNodePath(2), u"/varlo/Software/varlo enterprise daemon/Cluster/Node 2");
  EXPECT_EQ(TvxVarlo::GetK7ClusterNodeServicePath(u"vxmailsrv.exe", 1, -1),
            u"/varlo/Software/varlo enterprise daemon/Services/vxmailsrv.exe/Cluster/Node 1");
  EXPECT_EQ(TvxVarlo::GetK7ClusterNodeServicePath(u"vxmailsrv.exe", 1, 0),
            u"/varlo/Software/varlo enterprise daemon/Services/vxmailsrv.exe/Cluster/Node 1/Instance 0");

  const int32_t ports[] = {4410, 4420, 4610, 4520, 4540, 4580, 4490, 4440,
                           4450, 4500, 4430, 4620, 4630, 4590, 4040, 4670};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(TvxVarlo::GetDefaultServicePort(static_cast<TvxEnterpriseService>(i)), ports[i]);
  EXPECT_EQ(TvxVarlo::GetDefaultServicePort(static_cast<TvxEnterpriseService>(16)), 0);

  const std::pair<int32_t, const char*> priorities[] = {
      {0, "Idle"}, {3, "Normal"}, {6, "Timecritical"}, {7, "Timecritical (7)"}, {99999, "Timecritical (99999)"},
      {-1, "Unknown (-1)"}, {100000, "Unknown (100000)"}};
  for (const auto& [number, text] : priorities) EXPECT_EQ(TvxVarlo::GetPriorityStr(number), text);
  const std::pair<const char*, int32_t> names[] = {
      {"normal priority", 3}, {"idle", 0}, {"TimeCritical (9)", 6}, {"Highest", 5}, {"whatever", 0}, {"", 0}};
  for (const auto& [text, number] : names) EXPECT_EQ(TvxVarlo::GetPriorityFromStr(text), number) << text;
}

TEST_F(VarloTest, AppDataAndPluginWorkFolders) {
  EXPECT_EQ(TvxVarlo::GetAppDataPath(false), W(Dir.File("data") + "/varlo/"));
  EXPECT_EQ(TvxVarlo::GetAppDataPath(true), W(Dir.File("shared") + "/varlo/"));
  const ustring work = TvxVarlo::GetPluginsWorkPath(vxOSP_Unknown, u"MailSrv", 2);
  EXPECT_EQ(work, W(Dir.File("data") + "/varlo/plugins/work/mailsrv-002~~~/Win64/"));
  EXPECT_TRUE(std::filesystem::is_directory(WideToUtf8(work)));
  EXPECT_EQ(TvxVarlo::GetPluginsWorkPath(vxOSP_Win32, u"x", 12),
            W(Dir.File("data") + "/varlo/plugins/work/x-012~~~/Win32/"));
  vxVarloSeams::SetModuleSource([] { return ustring(u"/usr/lib/libVxSmtpExport.so"); });
  EXPECT_EQ(TvxVarlo::GetPluginsWorkPath(vxOSP_Common, u"", 0),
            W(Dir.File("data") + "/varlo/plugins/work/libvxsmtpexport-000~~~/Common/"));
  EXPECT_EQ(TvxVarlo::ModuleCPUPlatform(), vxCPU_x64);  // the machines this builds on
}

TEST_F(VarloTest, VersionTextsOfThisModule) {
  struct Case {
    const char16_t* Product;
    const char16_t* ProductVersion;
    const char16_t* VersionString;
  };
  const ustring hashes(28, u'#');
  const ustring fewer(27, u'#');
  const Case cases[] = {
      {u"5.2.0", u"5.2.0", u"5.2.0.118 (x64) release 5.2.0"},
      {u"  ", u"development build", u"5.2.0.118 (x64) development build"},
      {u"9999.9999.9999.9999", u"development build", u"5.2.0.118 (x64) development build"},
      {u"9999.9999.1", u"9999.9999.1", u"5.2.0.118 (x64) development build"},
      {u"v9999.9999.9999.9999", u"development build", u"5.2.0.118 (x64) release v9999.9999.9999.9999"},
  };
  for (const Case& c : cases) {
    ModuleWith(c.Product, u"Mail export", u"(c) Maker");
    EXPECT_EQ(TvxVarlo::GetProductVersion(), c.ProductVersion) << WideToUtf8(c.Product);
    EXPECT_EQ(TvxVarlo::GetProgramVersionString(), c.VersionString) << WideToUtf8(c.Product);
  }
  // The 28 "#": contained for the product version, at the start for the
  // version string; 27 are no marker.
  ModuleWith(ustring(u"x") + hashes, u"Mail export", u"(c) Maker");
  EXPECT_EQ(TvxVarlo::GetProductVersion(), u"development build");
  EXPECT_EQ(TvxVarlo::GetProgramVersionString(), ustring(u"5.2.0.118 (x64) release x") + hashes);
  ModuleWith(hashes + u"1", u"Mail export", u"(c) Maker");
  EXPECT_EQ(TvxVarlo::GetProgramVersionString(), u"5.2.0.118 (x64) development build");
  ModuleWith(fewer, u"Mail export", u"(c) Maker");
  EXPECT_EQ(TvxVarlo::GetProductVersion(), fewer);

  ModuleWith(u"5.2.0", u"Mail export", u"(c) Maker");
  EXPECT_EQ(TvxVarlo::GetProductTvxVersion(), (TvxVersion{5, 2, 0, 0}));
  EXPECT_EQ(TvxVarlo::GetProgramName(), u"Mail export");
  EXPECT_EQ(TvxVarlo::GetProductCopyright(), u"(c) Maker");
  EXPECT_EQ(TvxVarlo::GetProgramTechName(), u"vxmailsrv");
  ModuleWith(u"5.2.0", ustring(u"Mail ") + hashes, u" ");
  EXPECT_EQ(TvxVarlo::GetProgramName(), u"VARLO MAIL SERVICE");  // by the host executable's name
  EXPECT_EQ(TvxVarlo::GetProductCopyright(), u"Copyright (c) varlo");
  ModuleWith(u"5.2.0", u"Mail export", hashes);
  EXPECT_EQ(TvxVarlo::GetProgramName(), u"Mail export");
  EXPECT_EQ(TvxVarlo::GetProductCopyright(), u"Copyright (c) varlo");

  // Without a version block.
  vxVarloSeams::SetModuleSource([this] { return W(Host + "missing.so"); });
  EXPECT_EQ(TvxVarlo::GetProductVersion(), u"unknown");
  EXPECT_EQ(TvxVarlo::GetProductTvxVersion(), (TvxVersion{0, 0, 0, 0}));
  EXPECT_EQ(TvxVarlo::GetProgramVersionString(), u"unknown build (x64)");
  vxVarloSeams::SetExecutableSource([] { return ustring(u"/usr/bin/vxhost"); });
  EXPECT_EQ(TvxVarlo::GetProgramName(), u"Unknown");
  EXPECT_EQ(TvxVarlo::GetProgramTechName(), u"vxhost");
}

TEST_F(VarloTest, DatabaseThroughTheDataLayer) {
  Install();
  Set(HKEY_LOCAL_MACHINE, u"DatabaseType", Variant(u"SQLite"));
  // Without a data-link file the provider is empty, and no database answers.
  EXPECT_EQ(TvxVarlo::GetConnectionString(false), u"Provider=");
  EXPECT_FALSE(TvxVarlo::IsDatabaseAvailable());
  EXPECT_EQ(TvxVarlo::GetDatabaseVersion().rfind(u"Unable to get database version for SQLite (", 0), 0u);

  ustring seenFile;
  vxVarloSeams::SetUdlReader([&](const ustring& File) {
    seenFile = File;
    return W("Provider=SQLite;Data Source=" + Dir.File("config.db"));
  });
  EXPECT_TRUE(TvxVarlo::IsDatabaseAvailable());
  EXPECT_EQ(seenFile, W(Dir.File("inst") + "/cfg/vxsyscfg.udl"));
  const ustring version = TvxVarlo::GetDatabaseVersion();
  EXPECT_EQ(version.rfind(u"SQLite (3.", 0), 0u) << WideToUtf8(version);
  EXPECT_EQ(version.back(), u')');
  // The statement of another type fails on this database: the failure text.
  Set(HKEY_LOCAL_MACHINE, u"DatabaseType", Variant(u"MSSQL2016"));
  EXPECT_EQ(TvxVarlo::GetDatabaseVersion().rfind(u"Unable to get database version for MSSQL (", 0), 0u);
  Set(HKEY_LOCAL_MACHINE, u"DatabaseType", Variant(u"DB2"));
  EXPECT_EQ(TvxVarlo::GetDatabaseVersion(), u"Unable to get database version for DB2 (invalid database type (DB2)!)");
  // Not installed: not available, whatever the database.
  std::filesystem::remove(Dir.File("inst") + "/cfg/vxsyscfg.udl");
  EXPECT_FALSE(TvxVarlo::IsDatabaseAvailable());
}

// Our own versioned shared library, with this code linked into it.
TEST(VarloModule, VersionTextsOfOurLibrary) {
  void* handle = dlopen(VX_VERSIONED_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  using Query = int32_t (*)(int32_t, char16_t*, int32_t);
  const auto query = reinterpret_cast<Query>(dlsym(handle, "vxVersionedModuleQuery"));
  ASSERT_NE(query, nullptr);
  auto ask = [&](int32_t what) {
    char16_t buffer[512];
    query(what, buffer, 512);
    return ustring(buffer);
  };
  EXPECT_EQ(ask(7), u"7.3.0.42 (x64) release 7.3 beta");
  EXPECT_EQ(ask(8), u"7.3 beta");
  EXPECT_EQ(ask(9), u"Versioned test module");
  EXPECT_EQ(ask(10), u"(c) Test Company");
  EXPECT_EQ(ask(11), u"Versioned test module 7.3 beta (7.3.0.42)");
  dlclose(handle);
}

TEST(VarloModule, ModuleDescriptionIsAStartUpStep) {
  vxModuleDescription::Finalize();
  EXPECT_EQ(vxModuleDescription::ModuleDescription(), "");
  bool listed = false;
  for (const vxStartup::TStartupStep& step : vxFoundationStartup::LibrarySteps())
    if (std::string(step.Unit) == "vxModuleDescription") {
      listed = true;
      step.Initialize();
      EXPECT_EQ(vxModuleDescription::ModuleDescription(), "Unknown");  // the test program has no version block
      step.Finalize();
    }
  EXPECT_TRUE(listed);
  EXPECT_EQ(vxModuleDescription::ModuleDescription(), "");
  EXPECT_EQ(vxFoundationStartup::LibrarySteps().size(),
            vxStartup::CoreSteps().size() + vxFoundationStartup::FoundationSteps().size());
}

}  // namespace
