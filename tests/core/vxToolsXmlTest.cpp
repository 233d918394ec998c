// Text made fit for XML: invalid units become blanks, valid surrogate pairs
// stay, the markup characters become entities.
#include "core/vxToolsXml.h"

#include <gtest/gtest.h>

#include "core/vxConstants.h"
#include "platform/base/vxCodePage.h"

namespace {

TEST(ToolsXml, InvalidUnitsBecomeBlanks) {
  const ustring loneHigh(1, u'\xD800'), loneLow(1, u'\xDC00');
  struct Case {
    ustring Data;
    ustring Expected;
  } cases[] = {
      {u"a\u0001b", u"a b"},
      {u"tab\tlf\ncr\r", u"tab\tlf\ncr\r"},
      {ustring(u"\u0000\u001F\uFFFE\uFFFF\uFFFD\uE000\uD7FF", 7), u"    \uFFFD\uE000\uD7FF"},
      {u"x\U0001F600y\U0010FFFF", u"x\U0001F600y\U0010FFFF"},  // pairs stay
      {u"a" + loneLow + u"b", u"a b"},
      {u"a" + loneHigh + u"b", u"a b"},
      {u"a" + loneHigh, u"a "},
      {loneLow + loneHigh, u"  "},                            // reversed: two lone halves
      {loneHigh + loneHigh + loneLow, u" " + loneHigh + loneLow},  // the second high pairs
      {u"", u""},
  };
  for (const Case& c : cases) {
    const ustring result = TvxTools::PrepareXMLStringW(c.Data, false);
    EXPECT_EQ(result, c.Expected) << WideToUtf8(c.Expected);
    EXPECT_EQ(result.size(), c.Data.size());
  }
}

TEST(ToolsXml, Entities) {
  EXPECT_EQ(TvxTools::PrepareXMLStringW(u"<a & b>", true), u"&lt;a &amp; b&gt;");
  EXPECT_EQ(TvxTools::PrepareXMLStringW(u"\"it's\" &amp;", true), u"&quot;it&apos;s&quot; &amp;amp;");
  EXPECT_EQ(TvxTools::PrepareXMLStringW(u"<a\u0002>", false), u"<a >");
  EXPECT_EQ(TvxTools::PrepareXMLStringW(u"\u0002<\U0001F600", true), u" &lt;\U0001F600");
}

TEST(ToolsXml, TheTables) {
  EXPECT_EQ(XmlCharRanges[0].First, 0x20u);
  EXPECT_EQ(XmlCharRanges[5].Last, 0x10FFFFu);
  EXPECT_EQ(XmlEntityTable[0].Entity, u"&amp;");
  EXPECT_EQ(XmlEntityTable[4].Character, u"'");
}

}  // namespace
