#include "platform/base/vxSystemInfo.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/vxCodePage.h"

TEST(SystemInfo, LoginNameIsTheEffectiveUser) {
  const passwd* entry = getpwuid(geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(vxSystemInfo::GetLoginName(), Utf8ToWide(entry->pw_name));
}

TEST(SystemInfo, TicksAdvance) {
  const uint32_t first = vxSystemInfo::GetTickCount();
  usleep(20000);
  const uint32_t second = vxSystemInfo::GetTickCount();
  EXPECT_GE(static_cast<uint32_t>(second - first), 15u);  // wrap-safe difference
}

TEST(SystemInfo, ProcessFacts) {
  EXPECT_GE(vxSystemInfo::GetProcessorCount(), 1);
  EXPECT_GT(vxSystemInfo::GetResidentSetSize(getpid()), 0u);
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
