// Tests of core/vxToolsSystem.h: TvxTools: the running system, its user and
// fresh identifiers.
#include "core/vxToolsSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <set>

#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/net/vxHostName.h"
#include "platform/base/vxSystemInfo.h"
#include "support/vxChildProcess.h"
#include "support/vxRaisedMessage.h"
#include "support/vxScopedEnv.h"

namespace {

bool IsUpperHex(const std::string& s) {
  return s.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

TEST(ToolsSystem, Identifiers) {
  const std::string guid = TvxTools::CreateGuidStr();
  ASSERT_EQ(guid.size(), 38u);
  EXPECT_EQ(guid.front(), '{');
  EXPECT_EQ(guid.back(), '}');
  for (size_t position : {10, 15, 20, 25}) EXPECT_EQ(guid[position - 1], '-') << position;
  std::set<std::string> ids;
  for (int i = 0; i < 100; ++i) {
    const std::string id = TvxTools::CreateId().Str();
    EXPECT_EQ(id.size(), 32u);
    EXPECT_TRUE(IsUpperHex(id)) << id;
    EXPECT_TRUE(ids.insert(id).second);
  }
}

TEST(ToolsSystem, UserNameFormats) {
  const ustring user = TvxTools::GetUserName();
  const ustring samCompatible = UpperStrW(TvxTools::GetComputerName()) + u"\\" + user;
  EXPECT_FALSE(user.empty());
  for (uint32_t format : {0u, 7u, 9u}) EXPECT_EQ(TvxTools::GetUserNameEx(format), user) << format;
  for (uint32_t format : {1u, 2u, 8u, 10u, 11u}) EXPECT_EQ(TvxTools::GetUserNameEx(format), samCompatible) << format;
  EXPECT_EQ(TvxTools::GetUserNameEx(6), u"");
  EXPECT_FALSE(TvxTools::GetUserNameEx(3).empty());
  for (uint32_t format : {4u, 5u, 12u, 13u, 14u, 99u})
    EXPECT_EQ(vxTest::RaisedMessage([&] { TvxTools::GetUserNameEx(format); }), "invalid format type") << format;
}

// The names of a machine whose host name is numeric (set in a UTS namespace
// of its own), so that no resolver is asked for the fully qualified one.
TEST(ToolsSystem, ComputerNameFormats) {
  const vxTest::TChildOutput output = vxTest::RunInChildForText([] {
    const std::string name = "192.0.2.1";
    if (unshare(CLONE_NEWUTS) != 0 || sethostname(name.data(), name.size()) != 0) return std::string("skip");
    std::string seen;
    for (uint32_t format : {0u, 1u, 3u, 7u, 8u}) seen += WideToUtf8(TvxTools::GetComputerNameEx(format)) + "|";
    return seen + WideToUtf8(TvxTools::GetComputerName());
  });
  if (output.Text == "skip") GTEST_SKIP() << "no UTS namespace of our own (needs root)";
  EXPECT_EQ(output.ExitCode, 0);
  EXPECT_EQ(output.Text, "192|192|192.0.2.1|192.0.2.1||192");
  EXPECT_EQ(vxTest::RaisedMessage([] { TvxTools::GetComputerNameEx(9); }), "unknown format descriptor");
}

TEST(ToolsSystem, Environment) {
  {
    vxTest::TScopedEnv set("VX_TOOLS_TEST", std::string("wert ä"));
    EXPECT_EQ(TvxTools::GetEnvironmentString(u"VX_TOOLS_TEST"), u"wert ä");
  }
  vxTest::TScopedEnv unset("VX_TOOLS_TEST", std::nullopt);
  EXPECT_EQ(TvxTools::GetEnvironmentString(u"VX_TOOLS_TEST"), u"");
}

TEST(ToolsSystem, TypedEnvironment) {
  {
    vxTest::TScopedEnv unset("VX_TOOLS_TEST", std::nullopt);
    const Variant v = TvxTools::GetEnvironmentStringEx(u"VX_TOOLS_TEST", Variant(int32_t{5}), varNull);
    EXPECT_EQ(v.VarType(), varInteger);
    EXPECT_EQ(v.AsInteger(), 5);
  }
  {
    vxTest::TScopedEnv empty("VX_TOOLS_TEST", std::string());
    EXPECT_EQ(TvxTools::GetEnvironmentStringEx(u"VX_TOOLS_TEST", Variant(u"d"), varNull).AsString(), u"d");
  }
  vxTest::TScopedEnv set("VX_TOOLS_TEST", std::string("7"));
  const Variant typed = TvxTools::GetEnvironmentStringEx(u"VX_TOOLS_TEST", Variant(int32_t{0}), varNull);
  EXPECT_FALSE(TvxTypes::IsStringVariant(typed));  // read as an integer
  EXPECT_EQ(typed.AsInteger(), 7);
  const Variant asDouble = TvxTools::GetEnvironmentStringEx(u"VX_TOOLS_TEST", Variant(int32_t{0}), varDouble);
  EXPECT_EQ(asDouble.VarType(), varDouble);
  EXPECT_EQ(asDouble.AsDouble(), 7.0);
  EXPECT_EQ(TvxTools::GetEnvironmentStringEx(u"VX_TOOLS_TEST", Variant(), varUString).AsString(), u"7");
}

TEST(ToolsSystem, LastErrorMessage) {
  ASSERT_EQ(open("/nonexistent/file", O_RDONLY), -1);
  EXPECT_EQ(TvxTools::GetLastErrorMessage(), u"No such file or directory");
}

TEST(ToolsSystem, RemoteSession) {
  {
    vxTest::TScopedEnv ssh("SSH_CONNECTION", std::string("10.0.0.1 5000 10.0.0.2 22"));
    EXPECT_TRUE(TvxTools::IsRemoteSession());
    EXPECT_TRUE(TvxTools::IsRDPSession());
  }
  vxTest::TScopedEnv local("SSH_CONNECTION", std::nullopt);
  EXPECT_FALSE(TvxTools::IsRemoteSession());
  EXPECT_FALSE(TvxTools::IsRDPSession());
}

TEST(ToolsSystem, ProcessFacts) {
  EXPECT_GE(TvxTools::GetNumberOfProcessors(), 1);
  EXPECT_NE(TvxTools::GetMemoryUsage(), 0);
  EXPECT_GT(TvxTools::GetProcessMemoryUsage(static_cast<uint32_t>(getpid())), 0u);
  EXPECT_EQ(TvxTools::GetProcessMemoryUsage(0), 0u);
}

}  // namespace
