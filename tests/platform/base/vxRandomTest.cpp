// Tests of the kernel random source: bounds of the uniform draws, and
// buffers actually filled.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/base/vxRandom.h"

namespace {

TEST(Random, DrawsStayBelowTheirBoundAndReachEveryValue) {
  EXPECT_EQ(vxRandom::Below(0), 0u);
  EXPECT_EQ(vxRandom::Below(1), 0u);
  for (uint32_t bound : {2u, 7u, 26u}) {
    std::set<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
      const uint32_t value = vxRandom::Below(bound);
      ASSERT_LT(value, bound);
      seen.insert(value);
    }
    EXPECT_EQ(seen.size(), bound);
  }
  EXPECT_LT(vxRandom::Below(0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(Random, FillWritesEveryByte) {
  vxRandom::Fill(nullptr, 0);
  // A large buffer (more than one read may be needed) stops being all zeros
  // in each of its quarters.
  std::string buffer(1 << 20, '\0');
  vxRandom::Fill(buffer.data(), buffer.size());
  for (size_t quarter = 0; quarter < 4; ++quarter) {
    const std::string_view part(buffer.data() + quarter * buffer.size() / 4, buffer.size() / 4);
    EXPECT_NE(part.find_first_not_of('\0'), std::string_view::npos) << quarter;
  }
}

}  // namespace
