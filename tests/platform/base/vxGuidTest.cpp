// Tests of platform/base/vxGuid.h: fresh GUIDs from libuuid's random generator.
#include "platform/base/vxGuid.h"

#include <gtest/gtest.h>

#include <set>

TEST(Guid, BracedFormFromFields) {
  const TGUID guid{0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  EXPECT_EQ(GuidToString(guid), "{01234567-89AB-CDEF-0123-456789ABCDEF}");
}

TEST(Guid, FreshAndRandomVersion) {
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const TGUID guid = NewGuid();
    EXPECT_EQ(guid.D3 >> 12, 4);  // random UUID
    EXPECT_TRUE(seen.insert(GuidToString(guid)).second);
  }
}
