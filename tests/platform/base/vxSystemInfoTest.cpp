// Tests of platform/base/vxSystemInfo.h: facts about the running process, its
// user and the machine, from POSIX and /proc.
#include "platform/base/vxSystemInfo.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <grp.h>
#include <time.h>

#include <cerrno>
#include <string>

#include "platform/base/vxCodePage.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"

// A user id without a password entry falls back to $USER, then $LOGNAME,
// then the number; a user with an entry is named by it whatever $USER says.
TEST(SystemInfo, LoginNameOfAUserWithoutPasswordEntry) {
  const vxTest::TChildOutput output = vxTest::RunInChildForText([] {
    if (geteuid() != 0) return std::string("skip");
    vxTest::TScopedEnv user("USER", "impostor"), logname("LOGNAME", std::nullopt), home("HOME", std::nullopt);
    std::string seen = WideToUtf8(vxSystemInfo::GetLoginName()) + "|";  // root has an entry
    constexpr uid_t kUnknown = 54321;
    if (getpwuid(kUnknown) != nullptr) return std::string("skip");
    if (setgroups(0, nullptr) != 0 || setgid(kUnknown) != 0 || setuid(kUnknown) != 0) return std::string("setuid");
    seen += WideToUtf8(vxSystemInfo::GetLoginName()) + "|";
    setenv("LOGNAME", "second", 1);
    unsetenv("USER");
    seen += WideToUtf8(vxSystemInfo::GetLoginName()) + "|";
    unsetenv("LOGNAME");
    seen += WideToUtf8(vxSystemInfo::GetLoginName()) + "|";
    seen += vxSystemInfo::HomeFolder() + "|" + (vxSystemInfo::CurrentUserEntry() ? "entry" : "none");
    return seen;
  });
  if (output.Text == "skip") GTEST_SKIP() << "needs root and a free user id";
  EXPECT_EQ(output.ExitCode, 0);
  EXPECT_EQ(output.Text, "root|impostor|second|54321||none");
}

// The tick count is the boot-time clock in milliseconds, cut to 32 bits.
TEST(SystemInfo, TickCountIsMillisecondsSinceBoot) {
  auto millis = [] {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
  };
  const uint32_t before = millis();
  const uint32_t tick = vxSystemInfo::GetTickCount();
  const uint32_t after = millis();
  // Wrap-safe: the tick lies between the two readings.
  EXPECT_LE(static_cast<uint32_t>(tick - before), static_cast<uint32_t>(after - before));
}

TEST(SystemInfo, ProcessFacts) {
  EXPECT_GE(vxSystemInfo::GetProcessorCount(), 1);
  EXPECT_GT(vxSystemInfo::GetResidentSetSize(vxSystemInfo::GetCurrentProcessId()), 0u);
  EXPECT_EQ(vxSystemInfo::GetResidentSetSize(-1), 0u);
}

TEST(SystemInfo, ErrorMessages) {
  EXPECT_EQ(vxSystemInfo::GetErrorMessage(ENOENT), u"No such file or directory");
  EXPECT_EQ(vxSystemInfo::GetErrorMessage(0), u"");
  EXPECT_EQ(vxSystemInfo::GetErrorMessage(123456), u"");
}

TEST(SystemInfo, ExecutableAndMachine) {
  const ustring path = vxSystemInfo::ExecutablePath();
  EXPECT_TRUE(path.starts_with(u"/"));
  EXPECT_TRUE(path.ends_with(u"/test_platform")) << WideToUtf8(path);
  utsname names;
  ASSERT_EQ(uname(&names), 0);
  EXPECT_EQ(vxSystemInfo::MachineName(), names.machine);
  EXPECT_FALSE(vxSystemInfo::MachineName().empty());
}
