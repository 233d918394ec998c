// Tests of platform/net/vxHostName.h: the name of this machine: the plain host
// name and the fully qualified name that resolving it gives.
#include "platform/net/vxHostName.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

TEST(HostName, MatchesTheSystem) {
  char name[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
  EXPECT_EQ(vxHostName::HostName(), name);
}

TEST(HostName, FullyQualifiedNameStartsWithAName) {
  const std::string full = vxHostName::FullyQualifiedHostName();
  EXPECT_FALSE(full.empty());
  EXPECT_EQ(full.find_first_of(" \r\n"), std::string::npos);
}
