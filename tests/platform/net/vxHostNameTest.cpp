// Tests of platform/net/vxHostName.h: the host name as the system keeps it,
// set for the test in a UTS namespace of its own (no resolver is asked).
#include "platform/net/vxHostName.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <string>

#include "support/vxChildProcess.h"

namespace {

// Runs Work in a child process whose host name is Name, in a UTS namespace
// of its own; "skip" when the namespace cannot be had (not root).
template <class Work>
vxTest::TChildOutput WithHostName(const std::string& Name, Work work) {
  return vxTest::RunInChildForText([&] {
    if (unshare(CLONE_NEWUTS) != 0 || sethostname(Name.data(), Name.size()) != 0) return std::string("skip");
    return work();
  });
}

TEST(HostName, IsTheNameTheSystemKeepsUpToItsLongestLength) {
  const std::string longest(HOST_NAME_MAX, 'h');  // 64 characters, the most a host name has
  for (const std::string& name : {std::string("vx-test-host"), longest, std::string("")}) {
    const vxTest::TChildOutput output = WithHostName(name, [] { return vxHostName::HostName(); });
    if (output.Text == "skip") GTEST_SKIP() << "no UTS namespace of our own (needs root)";
    EXPECT_EQ(output.ExitCode, 0);
    EXPECT_EQ(output.Text, name);
  }
}

TEST(HostName, FullyQualifiedNameWithoutAskingTheResolver) {
  // An empty host name gives an empty name; a numeric one is its own
  // canonical name: neither needs a look-up.
  for (const std::string& name : {std::string(""), std::string("192.0.2.1")}) {
    const vxTest::TChildOutput output = WithHostName(name, [] { return vxHostName::FullyQualifiedHostName(); });
    if (output.Text == "skip") GTEST_SKIP() << "no UTS namespace of our own (needs root)";
    EXPECT_EQ(output.ExitCode, 0);
    EXPECT_EQ(output.Text, name);
  }
}

}  // namespace
