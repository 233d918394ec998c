// Deletes that keep a backup first, on both databases: the subtree and
// property backups in the host's backup folder, nothing deleted when the
// backup cannot be written, and the backups kept inside the tree with their
// pruning.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "configstore/vxConfigManager.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;
namespace fs = std::filesystem;

std::string Text(const ustring& Value) { return WideToUtf8(Value); }

class ConfigBackups : public StoreTest {
 protected:
  // The files of the host's backup folder whose names begin with Prefix.
  std::vector<fs::path> BackupFiles(const std::string& Prefix) const {
    std::vector<fs::path> files;
    const fs::path folder = fs::path(FSystem.File("sys")) / "backup";
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().filename().string().rfind(Prefix, 0) == 0) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  static std::string Content(const fs::path& File) {
    std::ifstream in(File, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TTestTempDir FSystem{"vxstoresys"};
  vxTest::TScopedEnv FSystemPath{"VARLOSYS", FSystem.Path().string() + "/"};
};

TEST_P(ConfigBackups, ASubtreeIsWrittenToTheBackupFolderThenDeletedDeepestFirst) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/shop/orders", u"count", Variant(3)));
  ASSERT_TRUE(store->SetConfigValue(u"/shop/orders/2024/jan", u"first", Variant(u"A-1")));
  ASSERT_TRUE(store->SetConfigValue(u"/shop/orders/2024", u"year", Variant(2024)));
  ASSERT_TRUE(store->SetConfigValue(u"/shop/kept", u"stays", Variant(1)));
  const ustring subtreeRows = u"KEYNAME IN ('orders', '2024', 'jan', 'count', 'first', 'year')";
  ASSERT_EQ(Database().Count(subtreeRows), 6);

  EXPECT_TRUE(store->DeleteConfigTree(u"/shop/orders"));
  EXPECT_EQ(Text(store->Message.Get()), "");
  EXPECT_TRUE(TvxConfigManager::IsTIdStringEmpty(store->GetParentTreeId(u"/shop/orders", false, false)));
  EXPECT_TRUE(TvxConfigManager::IsTIdStringEmpty(store->GetParentTreeId(u"/shop/orders/2024/jan", false, false)));
  EXPECT_EQ(Database().Count(subtreeRows), 0);
  EXPECT_EQ(store->GetConfigValue(u"/shop/kept", u"stays", Variant(), false).AsInteger(), 1);

  const auto files = BackupFiles("k7backup_");
  ASSERT_EQ(files.size(), 1u);
  const std::string backup = Content(files[0]);
  for (const char* written : {"orders", "2024", "jan", "A-1", "first", "year"})
    EXPECT_NE(backup.find(written), std::string::npos) << written << " in " << backup;

  // A key that does not exist: nothing deleted, no file, nothing said.
  EXPECT_FALSE(store->DeleteConfigTree(u"/shop/none"));
  EXPECT_EQ(Text(store->Message.Get()), "");
  EXPECT_EQ(BackupFiles("k7backup_").size(), 1u);

  // Without BackupChanges no file is written.
  store->BackupChanges = false;
  EXPECT_TRUE(store->DeleteConfigTree(u"/shop/kept"));
  EXPECT_EQ(BackupFiles("k7backup_").size(), 1u);
  EXPECT_FALSE(store->NodeExists(u"/shop/kept", false));
}

TEST_P(ConfigBackups, NothingIsDeletedWhenTheBackupCannotBeWritten) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/keep/me", u"value", Variant(7)));
  // The backup folder's place is taken by a file.
  fs::create_directories(FSystem.File("sys"));
  TTestTempDir::WriteBytes(FSystem.File("sys/backup"), "not a folder");
  const ustring keptRows = u"KEYNAME IN ('keep', 'me', 'value')";
  ASSERT_EQ(Database().Count(keptRows), 3);

  EXPECT_FALSE(store->DeleteConfigTree(u"/keep"));
  EXPECT_EQ(Text(store->Message.Get()).rfind("backup failed (", 0), 0u) << Text(store->Message.Get());
  EXPECT_EQ(Text(store->Message.Get()).back(), '!');
  EXPECT_FALSE(store->DeleteNodeProperties(u"/keep/me"));
  EXPECT_EQ(Text(store->Message.Get()), "backup failed!");
  EXPECT_EQ(Database().Count(keptRows), 3);
  EXPECT_EQ(store->GetConfigValue(u"/keep/me", u"value", Variant(), false).AsInteger(), 7);

  store->RaiseExceptions = true;
  EXPECT_THROW(store->DeleteConfigTree(u"/keep"), Exception);
  EXPECT_EQ(Database().Count(keptRows), 3);
}

TEST_P(ConfigBackups, DeletingANodesPropertiesKeepsItsChildrenAndABackupOfEach) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/props", u"a", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/props", u"b", Variant(u"two")));
  ASSERT_TRUE(store->SetConfigValue(u"/props/child", u"c", Variant(3)));

  EXPECT_TRUE(store->DeleteNodeProperties(u"/props"));
  EXPECT_FALSE(store->ConfigValueExists(u"/props", u"a"));
  EXPECT_FALSE(store->ConfigValueExists(u"/props", u"b"));
  EXPECT_EQ(store->GetConfigValue(u"/props/child", u"c", Variant(), false).AsInteger(), 3);
  auto files = BackupFiles("k7backup.");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(Content(files[0]).find("two"), std::string::npos);

  // A second delete at once gets a file of its own.
  EXPECT_TRUE(store->DeleteNodeProperties(u"/props/child"));
  EXPECT_TRUE(store->DeleteNodeProperties(u"/props/child"));
  EXPECT_EQ(BackupFiles("k7backup.").size(), 3u);

  // A missing node is created.
  store->BackupChanges = false;
  EXPECT_TRUE(store->DeleteNodeProperties(u"/made/here"));
  EXPECT_TRUE(store->NodeExists(u"/made/here", false));
}

TEST_P(ConfigBackups, BackupsInTheTreeArePrunedOldestFirstSparingPersistentOnes) {
  auto store = OpenStore();
  store->BackupChanges = false;
  ASSERT_TRUE(store->SetConfigValue(u"/doc", u"Title", Variant(u"Report")));
  ASSERT_TRUE(store->SetConfigValue(u"/doc", u"Pages", Variant(12)));
  const ustring root = u"/varlo/Classes/Backups/doc";
  // Three ordinary backups and a persistent one, the oldest first.
  ASSERT_TRUE(store->SetConfigValue(root + u"/Backup_20200101000000000", u"Title", Variant(u"old")));
  ASSERT_TRUE(store->SetConfigValue(root + u"/Backup_20200102000000000", u"Persistent", Variant(true)));
  ASSERT_TRUE(store->SetConfigValue(root + u"/Backup_20200103000000000", u"Title", Variant(u"mid")));
  ASSERT_TRUE(store->SetConfigValue(root + u"/Backup_20200104000000000", u"Title", Variant(u"new")));

  EXPECT_TRUE(store->CreateBackup(u"/doc", {u"Title", u"Missing"}, u"before the edit", 2, false));
  TConfigNodes items;
  ASSERT_TRUE(store->GetChildNodes(root, items, false));
  std::vector<std::string> names;
  for (const TConfigNode& item : items) names.push_back(Text(item.Name));
  // Four backups, two too many: the two oldest ordinary ones go, the
  // persistent one counts but stays.
  ASSERT_EQ(names.size(), 3u) << ::testing::PrintToString(names);
  EXPECT_EQ(names[0], "Backup_20200102000000000");
  EXPECT_EQ(names[1], "Backup_20200104000000000");
  const ustring made = root + u"/" + items[2].Name;
  EXPECT_EQ(Text(store->GetConfigValue(made, u"Title", Variant(), false).AsString()), "Report");
  EXPECT_FALSE(store->ConfigValueExists(made, u"Missing"));
  EXPECT_FALSE(store->ConfigValueExists(made, u"Pages"));
  EXPECT_EQ(Text(store->GetConfigValue(made, u"Comment", Variant(), false).AsString()), "before the edit");
  for (const char16_t* present : {u"User", u"Date", u"CreationDate"}) EXPECT_TRUE(store->ConfigValueExists(made, present));
  EXPECT_FALSE(store->ConfigValueExists(made, u"Persistent"));

  // MaxBackups -1 deletes nothing; two backups at once get nodes of their own.
  EXPECT_TRUE(store->CreateBackup(u"/doc", {}, ustring(), -1, true));
  EXPECT_TRUE(store->CreateBackup(u"/doc", {}, ustring(), -1, true));
  ASSERT_TRUE(store->GetChildNodes(root, items, false));
  EXPECT_EQ(items.size(), 5u);

  // MaxBackups 0 removes every ordinary backup and spares the persistent ones.
  EXPECT_TRUE(store->CreateBackup(u"/doc", {}, ustring(), 0, false));
  ASSERT_TRUE(store->GetChildNodes(root, items, false));
  size_t persistent = 0;
  for (const TConfigNode& item : items)
    if (store->GetConfigValue(root + u"/" + item.Name, u"Persistent", Variant(false), false).AsBoolean()) ++persistent;
  EXPECT_EQ(persistent, 3u);
  EXPECT_EQ(items.size(), 4u) << "three persistent ones and the new one";
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigBackups, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
