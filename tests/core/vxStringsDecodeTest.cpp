// Tests of core/vxStringsDecode.h: TvxStrings: the two quoted-printable
// decoders and HTML to text.
#include "core/vxStringsDecode.h"

#include <gtest/gtest.h>

#include <string>

#include "core/vxStringsReplace.h"

using namespace TvxStrings;

namespace {

struct QuotedCase {
  const char* Name;
  std::string Content;
  std::string Expected;
};

std::ostream& operator<<(std::ostream& os, const QuotedCase& c) { return os << c.Name; }

class QuotedSimple : public testing::TestWithParam<QuotedCase> {};

TEST_P(QuotedSimple, DecodesTheCodesOfItsTable) {
  EXPECT_EQ(ReplaceQuotedPrintableSimple(GetParam().Content), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuotedSimple,
    testing::Values(QuotedCase{"Empty", "", ""}, QuotedCase{"Umlaut", "H=E4user", "H\xE4user"},
                    QuotedCase{"LowerCaseHex", "H=e4user", "H\xE4user"},
                    QuotedCase{"LineBreakCodesRemoved", "a=0D=0Ab", "ab"},
                    QuotedCase{"ControlCodesRemoved", "=00a=1F=1fb=09", "ab"},
                    QuotedCase{"Blank", "a=20b", "a b"}, QuotedCase{"Punctuation", "=2C=2e=7E", ",.~"},
                    QuotedCase{"Delete", "=7F", "\x7F"}, QuotedCase{"EqualsSign", "1+1=3D2", "1+1=2"},
                    QuotedCase{"CodesOutsideTheTable", "=41=21=2B=2D=2F=3C=3E=7D", "=41=21=2B=2D=2F=3C=3E=7D"},
                    QuotedCase{"LeftOutHighCodes", "=DD=dd=ED=Ed=FD=fD", "=DD=dd=ED=Ed=FD=fD"},
                    QuotedCase{"NeighboursOfLeftOut", "=DC=DE=EC=EE=FC=FE=FF=80", "\xDC\xDE\xEC\xEE\xFC\xFE\xFF\x80"},
                    QuotedCase{"DecodedEqualsJoinsLaterCode", "=3D80", "\x80"},
                    QuotedCase{"DecodedEqualsBeforeOtherCode", "=3D41", "=41"},
                    QuotedCase{"DecodedEqualsBeforeEarlierCode", "=3D0A", "=0A"},
                    QuotedCase{"SoftLineBreak", "lo=\r\nng", "long"},
                    QuotedCase{"NestedSoftLineBreaks", "a==\r\n\r\nb", "ab"},
                    QuotedCase{"LoneLineFeedStays", "a=\nb=\rc", "a=\nb=\rc"},
                    QuotedCase{"EqualsSignsStay", "a=b=", "a=b="}));

class Quoted : public testing::TestWithParam<QuotedCase> {};

TEST_P(Quoted, DecodesEveryHexadecimalCode) {
  EXPECT_EQ(ReplaceQuotedPrintable(GetParam().Content), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Quoted,
    testing::Values(QuotedCase{"Empty", "", ""}, QuotedCase{"Umlaut", "H=E4user", "H\xE4user"},
                    QuotedCase{"LowerCaseHex", "gr=fc=DFe", "gr\xFC\xDF" "e"},
                    QuotedCase{"EveryCode", "=41=dd=ED=0d=0A=00", std::string("A\xDD\xED\r\n\0", 6)},
                    QuotedCase{"SoftBreakCrLf", "a=\r\nb", "ab"}, QuotedCase{"SoftBreakLf", "a=\nb", "ab"},
                    QuotedCase{"SoftBreakCr", "a=\rb", "ab"},
                    QuotedCase{"NestedSoftBreaks", "a===\r\n\n\rb", "ab"},
                    QuotedCase{"NotHexadecimal", "x=ZZy", "xy"}, QuotedCase{"HalfHexadecimal", "x=4Gy", "xy"},
                    QuotedCase{"SignIsNoDigit", "x=+1y=-1z", "xyz"},
                    QuotedCase{"OneDigitAtTheEnd", "abc=4", "abc\x04"},
                    QuotedCase{"LoneEqualsAtTheEnd", "abc=", "abc"},
                    QuotedCase{"DecodedEqualsNotDecodedAgain", "=3D41", "=41"},
                    QuotedCase{"EqualsAsDigit", "==41", "1"},
                    QuotedCase{"TextAroundCodes", "Gr=C3=BC=C3=9Fe, Welt!", "Gr\xC3\xBC\xC3\x9F" "e, Welt!"}));

// Every code of the table and every code outside it, one by one.
TEST(QuotedSimpleTable, EachCodeAlone) {
  const char* digits = "0123456789ABCDEF";
  for (int code = 0; code < 256; ++code) {
    const std::string upper = {'=', digits[code >> 4], digits[code & 15]};
    std::string expected;
    if (code == 0xDD || code == 0xED || code == 0xFD ||
        (code >= 0x21 && code <= 0x7D && code != 0x2C && code != 0x2E && code != 0x3D))
      expected = upper;
    else if (code >= 0x20)
      expected = std::string(1, static_cast<char>(code));
    EXPECT_EQ(ReplaceQuotedPrintableSimple(upper), expected) << upper;
  }
}

// The soft line breaks go as the repeated replacement takes them away, also
// when they nest; a deep nesting takes one pass, not one per level.
TEST(QuotedSoftBreaks, NestedBreaksGoAsRepeatedReplacementTakesThem) {
  for (const std::string text : {"a=\r\n", "==\r\n\r\n=", "=\r=\r\n\n\r\n", "x=\r\n=\r\n\r\ny", "=\r\r\n\n"}) {
    EXPECT_EQ(ReplaceQuotedPrintableSimple(text), FastReplaceA(text, "=\r\n", "")) << text;
  }
  // Each run of "=" nests with the run of line breaks after it.
  std::string deep;
  for (const std::string lineBreak : {"\r\n", "\n", "\r"}) {
    deep += std::string(100000, '=');
    for (int i = 0; i < 100000; ++i) deep += lineBreak;
  }
  deep += "x";
  EXPECT_EQ(ReplaceQuotedPrintable(deep), "x");
}

TEST(HtmlToText, GivesTheWordsWithoutTags) {
  EXPECT_EQ(HtmlToText(u"<p>Ein <b>fetter</b> Text</p>"), u"Ein fetter Text");
}

TEST(HtmlToText, LinesEndWithCrLf) {
  EXPECT_EQ(HtmlToText(u"<h1>Bericht</h1><p>Zeile&nbsp;1<br>Zeile 2</p><ul><li>a</li><li>b</li></ul>"
                       u"<table><tr><td>x</td><td>y</td></tr><tr><td>z</td></tr></table><script>w()</script>"),
            u"Bericht\r\n\r\nZeile\u00A01\r\nZeile 2\r\n\r\na\r\nb\r\nx\ty\r\nz");
}

TEST(HtmlToText, EmptyAndUnreadableDocumentsGiveNothing) {
  EXPECT_EQ(HtmlToText(u""), u"");
  ustring deep;
  for (int i = 0; i < 1000; ++i) deep += u"<div>";
  EXPECT_EQ(HtmlToText(deep + u"text"), u"");
}

}  // namespace
