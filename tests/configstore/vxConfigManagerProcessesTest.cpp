// Two processes writing the same keys at once, on one SQLite file and on one
// PostgreSQL database: every write either is reported as failed or stands,
// and no node or value is made twice.
#include <gtest/gtest.h>

#include <string>

#include "support/vxChildProcess.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

class ConfigProcesses : public StoreTest {};

TEST_P(ConfigProcesses, TwoProcessesWriteTheSameKeysAtOnce) {
  constexpr int Keys = 12, Rounds = 8;
  const ustring connection = Database().ConnectionString();
  // Each child writes every key in every round, its own number in the value,
  // and answers with the writes it saw fail.
  auto writer = [&](int Child) {
    return [&, Child] {
      TvxConfigManager store(false, connection, u"vx_configuration");
      std::string failed;
      for (int round = 0; round < Rounds; ++round)
        for (int k = 0; k < Keys; ++k) {
          const ustring key = u"/race/node" + Utf8ToWide(std::to_string(k)) + u"/leaf";
          const std::string value = std::to_string(Child) + ":" + std::to_string(round);
          if (!store.SetConfigValue(key, u"v", Variant(Utf8ToWide(value))))
            failed += WideToUtf8(store.Message.Get()) + "\n";
        }
      return failed;
    };
  };
  // Both children start writing when the test says go.
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  int pipes[2][2];
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    ASSERT_EQ(pipe(pipes[c]), 0);
    children[c] = vxTest::RunInChild([&, c] {
      close(pipes[c][0]);
      close(go[1]);
      char start;
      if (read(go[0], &start, 1) != 1) return 3;
      const std::string failed = writer(c)();
      const ssize_t written = write(pipes[c][1], failed.data(), failed.size());
      return written == static_cast<ssize_t>(failed.size()) && failed.empty() ? 0 : 1;
    });
    close(pipes[c][1]);
  }
  close(go[0]);
  ASSERT_EQ(write(go[1], "gg", 2), 2);
  close(go[1]);
  for (int c = 0; c < 2; ++c) {
    std::string failed;
    char buffer[512];
    ssize_t n;
    while ((n = read(pipes[c][0], buffer, sizeof buffer)) > 0) failed.append(buffer, static_cast<size_t>(n));
    close(pipes[c][0]);
    EXPECT_EQ(vxTest::WaitForChild(children[c]), 0) << failed;
  }
  // One node of each name below each parent, one value per leaf, and the
  // value one that a child wrote last.
  EXPECT_EQ(Database().Query(u"SELECT PARENTID, KEYNAME FROM vx_configuration GROUP BY PARENTID, KEYNAME, DATATYPE "
                             u"HAVING COUNT(*) > 1")
                .Rows.size(),
            0u);
  EXPECT_EQ(Database().Count(u"KEYNAME = 'v'"), Keys);
  for (const auto& row : Database().Query(u"SELECT KEYVALUE FROM vx_configuration WHERE KEYNAME = 'v'").Rows) {
    const ustring value = row[0].AsString();
    EXPECT_TRUE(value == u"0:" + Utf8ToWide(std::to_string(Rounds - 1)) ||
                value == u"1:" + Utf8ToWide(std::to_string(Rounds - 1)))
        << WideToUtf8(value);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigProcesses, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
