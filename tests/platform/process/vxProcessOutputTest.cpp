// Running a program for its standard output: what it writes, its exit
// code, the cap on what is kept and the bound on the wait.
#include "platform/process/vxProcessOutput.h"

#include <gtest/gtest.h>

namespace {

vxProcess::TStartInfo Shell(const char16_t* script) {
  vxProcess::TStartInfo info;
  info.Arguments = {u"/bin/sh", u"-c", script};
  return info;
}

TEST(ProcessOutput, CollectsOutputAndExitCode) {
  uint32_t exitCode = 99;
  std::string output;
  ASSERT_TRUE(vxProcess::RunAndRead(Shell(u"printf 'a\\nb'; echo err >&2; exit 3"), 10000, exitCode, output));
  EXPECT_EQ(exitCode, 3u);
  EXPECT_EQ(output, "a\nb");
  ASSERT_TRUE(vxProcess::RunAndRead(Shell(u"true"), 10000, exitCode, output));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(output, "");
}

TEST(ProcessOutput, KeepsOnlyTheCapButLetsTheProgramEnd) {
  uint32_t exitCode = 99;
  std::string output;
  ASSERT_TRUE(vxProcess::RunAndRead(Shell(u"head -c 3000000 /dev/zero; exit 0"), 30000, exitCode, output));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(output.size(), vxProcess::kMaxCollectedOutput);
}

TEST(ProcessOutput, AProgramThatDoesNotEndInTimeIsEnded) {
  uint32_t exitCode = 99;
  std::string output;
  EXPECT_FALSE(vxProcess::RunAndRead(Shell(u"echo started; exec sleep 30"), 300, exitCode, output));
  EXPECT_EQ(output, "started\n");
  // Closing its output is not the end: the wait still has its bound.
  EXPECT_FALSE(vxProcess::RunAndRead(Shell(u"exec >&-; exec sleep 30"), 300, exitCode, output));
}

TEST(ProcessOutput, AProgramThatCannotStart) {
  uint32_t exitCode = 99;
  std::string output = "old";
  vxProcess::TStartInfo missing;
  missing.Arguments = {u"/nonexistent/program"};
  EXPECT_FALSE(vxProcess::RunAndRead(missing, 1000, exitCode, output));
  EXPECT_EQ(output, "");
}

}  // namespace
