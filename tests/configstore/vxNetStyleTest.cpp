// Tests of the placeholders of configstore/vxNetWeb.h (ApplyStyle).
#include <gtest/gtest.h>

#include <string>

#include "configstore/vxNetWeb.h"

namespace {

TvxDictionary<ustring, Variant> Style() {
  TvxDictionary<ustring, Variant> style;
  style.Add(u"COLOR", Variant(u"red"));
  style.Add(u"SIZE2", Variant(int32_t{14}));
  style.Add(u"LINK", Variant(u"[@COLOR(black)] underline"));
  style.Add(u"BOX", Variant(u"x[@LINK()]"));
  style.Add(u"", Variant(u"nameless"));
  return style;
}

TEST(ApplyStyle, PlaceholdersTakeTheirValueOrDefault) {
  TvxDictionary<ustring, Variant> empty;
  struct TCase {
    std::string In, Out;
  } cases[] = {
      {"p{color:[@color(blue)]}", "p{color:red}"},
      {"p{x:[@size(12px)]}", "p{x:12px}"},
      {"[@broken", "[@broken"},
      {"[@size2()]pt", "14pt"},
      {"a [@color(x)] b [@COLOR(y)] c", "a red b red c"},
      {"[@nodefault]", "nameless"},
      {"[@x(a(b))]", "a(b)"},
      {"[@x(open]", ""},
      // The first character of an inserted value is not searched again,
      // the rest is.
      {"[@link()]", "[@COLOR(black)] underline"},
      {"[@box()]", "x[@COLOR(black)] underline"},
      {"", ""},
  };
  const TvxDictionary<ustring, Variant> style = Style();
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::ApplyStyle(style, c.In), c.Out) << c.In;
  EXPECT_EQ(TvxNet::ApplyStyle(empty, "[@a(1)][@b(2)]"), "12");
  EXPECT_EQ(TvxNet::ApplyStyle(empty, "[@a]"), "");
}

TEST(ApplyStyle, AValueHoldingItsOwnPlaceholderEnds) {
  TvxDictionary<ustring, Variant> style;
  style.Add(u"A", Variant(u"x[@A()]"));
  style.Add(u"B", Variant(u"y[@C()]"));
  style.Add(u"C", Variant(u"z[@B()]"));
  EXPECT_EQ(TvxNet::ApplyStyle(style, "[@a()]!"), "x[@A()]!");
  EXPECT_EQ(TvxNet::ApplyStyle(style, "[@b()]"), "yz[@B()]");
  // Values that multiply: the replacements inside inserted values are capped.
  TvxDictionary<ustring, Variant> doubling;
  auto name = [](int i) { return u"L" + ustring(1, static_cast<char16_t>(u'A' + i)); };
  for (int i = 0; i < 20; ++i)
    doubling.Add(name(i), Variant(u"-[@" + name(i + 1) + u"()]-[@" + name(i + 1) + u"()]"));
  const std::string result = TvxNet::ApplyStyle(doubling, "[@LA()]");
  EXPECT_LT(result.size(), 200'000u);
  EXPECT_NE(result.find("[@L"), std::string::npos);
}

}  // namespace
