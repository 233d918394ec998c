// Tests of the clipboard block "HTML Format": the exact bytes, and offsets
// that stay true when the numbers need more than six digits.
#include <gtest/gtest.h>

#include <charconv>
#include <string>

#include "core/vxToolsHtmlClipboard.h"

namespace {

TEST(HtmlClipboardBlock, BoldXGivesTheNinetyOneBytes) {
  const std::string block = TvxTools::HtmlClipboardBlock(u"<b>x</b>");
  EXPECT_EQ(block,
            "Version:0.9\r\n"
            "StartHTML:-1\r\n"
            "EndHTML:-1\r\n"
            "StartFragment:000081\r\n"
            "EndFragment:000091\r\n"
            "<b>x</b>\r\n");
  EXPECT_EQ(block.size(), 91u);
}

TEST(HtmlClipboardBlock, TheHtmlIsCountedInUtf8Bytes) {
  // 'ä' takes two bytes, '€' three: 81 + 5 + 2.
  const std::string block = TvxTools::HtmlClipboardBlock(u"\u00E4\u20AC");
  EXPECT_EQ(block.size(), 88u);
  EXPECT_NE(block.find("EndFragment:000088\r\n\xC3\xA4\xE2\x82\xAC\r\n"), std::string::npos);
  EXPECT_EQ(TvxTools::HtmlClipboardBlock(u""), TvxTools::HtmlClipboardBlockUtf8(""));
  EXPECT_EQ(TvxTools::HtmlClipboardBlock(u"").size(), 83u);
}

// The number after Name in Block, and the width it was written with.
std::pair<uint64_t, size_t> Field(const std::string& Block, const std::string& Name) {
  const size_t at = Block.find(Name + ":");
  if (at == std::string::npos) return {0, 0};
  const size_t from = at + Name.size() + 1;
  const size_t to = Block.find("\r\n", from);
  uint64_t value = 0;
  std::from_chars(Block.data() + from, Block.data() + to, value);
  return {value, to - from};
}

// Around the size where the block's length needs a seventh digit: both
// numbers are those of the block as written, and the fragment starts where
// StartFragment says.
TEST(HtmlClipboardBlock, OffsetsStayTrueAtSevenDigits) {
  struct Case {
    size_t HtmlBytes;
    uint64_t Start, End;
    size_t EndWidth;
  };
  const Case cases[] = {
      {999916, 81, 999999, 6},    // the largest block with six digits
      {999917, 82, 1000001, 7},   // one more byte: the header grows by one
      {999918, 82, 1000002, 7},
      {2000000, 82, 2000084, 7},
  };
  for (const Case& c : cases) {
    const std::string html(c.HtmlBytes, 'h');
    const std::string block = TvxTools::HtmlClipboardBlockUtf8(html);
    const auto [start, startWidth] = Field(block, "StartFragment");
    const auto [end, endWidth] = Field(block, "EndFragment");
    EXPECT_EQ(start, c.Start) << c.HtmlBytes;
    EXPECT_EQ(startWidth, 6u) << c.HtmlBytes;
    EXPECT_EQ(end, c.End) << c.HtmlBytes;
    EXPECT_EQ(endWidth, c.EndWidth) << c.HtmlBytes;
    EXPECT_EQ(block.size(), end) << c.HtmlBytes;
    EXPECT_EQ(block.compare(start, html.size() + 2, html + "\r\n"), 0) << c.HtmlBytes;
  }
}

}  // namespace
