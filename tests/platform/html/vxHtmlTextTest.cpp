// Tests of platform/html/vxHtmlText.h: the text of an HTML document as a
// browser's innerText gives it. The expected texts follow the rendered-text
// rules (blocks on lines of their own, p set off by an empty line, cells
// separated by tabs, rows by line breaks, whitespace collapsed).
#include "platform/html/vxHtmlText.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "support/vxRunProgram.h"

namespace {

ustring Text(const ustring& html) { return vxHtmlText::InnerText(html, u"\n"); }

struct HtmlCase {
  const char* Name;
  const char* Html;  // UTF-8
  const char* Expected;
};

std::ostream& operator<<(std::ostream& os, const HtmlCase& c) { return os << c.Name; }

class InnerTextCases : public testing::TestWithParam<HtmlCase> {};

TEST_P(InnerTextCases, GivesTheTextABrowserShows) {
  const HtmlCase& c = GetParam();
  EXPECT_EQ(WideToUtf8(Text(Utf8ToWide(c.Html))), c.Expected);
}

const HtmlCase kCases[] = {
    // Inline markup and whitespace.
    {"Paragraph", "<p>Hello <b>bold</b> world</p>", "Hello bold world"},
    {"PlainText", "just text", "just text"},
    {"Empty", "", ""},
    {"OnlyWhitespace", " \r\n\t ", ""},
    {"WhitespaceCollapses", "  lots   of\n\t space  ", "lots of space"},
    {"SpaceAcrossInlineElements", "<b>a </b> <i> b</i>", "a b"},
    {"InlineWithoutSpace", "<b>a</b><i>b</i>", "ab"},
    {"Comment", "a<!-- not shown -->b", "ab"},
    {"Image", "a<img src=\"x.png\" alt=\"picture\">b", "ab"},
    // Blocks and line breaks.
    {"Break", "a<br>b", "a\nb"},
    {"BreakAtStart", "<br>a", "\na"},
    {"BreakAtEnd", "a<br>", "a\n"},
    {"TwoBreaks", "a<br><br>b", "a\n\nb"},
    {"BreakBeforeParagraph", "a<br><p>b</p>", "a\n\n\nb"},
    {"Divs", "<div>a</div><div>b</div>", "a\nb"},
    {"NestedDivs", "<div><div>a</div></div><div><div><div>b</div></div></div>", "a\nb"},
    {"EmptyDivs", "a<div></div><div> </div>b", "a\nb"},
    {"Paragraphs", "<p>a</p><p>b</p>", "a\n\nb"},
    {"TextBeforeBlock", "text<div>x</div>after", "text\nx\nafter"},
    {"HeadingAndParagraph", "<h1>Title</h1><p>x</p><h2>Sub</h2>y", "Title\n\nx\n\nSub\ny"},
    {"Rule", "a<hr>b", "a\nb"},
    {"BlankAtLineEnds", "<div> a </div> <div> b </div>", "a\nb"},
    {"BlockInsideInline", "<b>x<div>y</div>z</b>", "x\ny\nz"},
    {"DefinitionList", "<dl><dt>Term</dt><dd>Meaning</dd></dl>", "Term\nMeaning"},
    {"Blockquote", "said:<blockquote>quoted</blockquote>end", "said:\nquoted\nend"},
    // Lists.
    {"List", "<ul><li>one</li><li>two</li></ul>", "one\ntwo"},
    {"ListWithoutEndTags", "<ol><li>one<li>two<li>three</ol>", "one\ntwo\nthree"},
    {"NestedList", "<ul><li>a<ul><li>b</li><li>c</li></ul></li><li>d</li></ul>", "a\nb\nc\nd"},
    {"ListAfterText", "Items:<ul><li>x</li></ul>Done", "Items:\nx\nDone"},
    // Tables.
    {"Table", "<table><tr><th>H1</th><th>H2</th></tr><tr><td>a</td><td>b</td></tr></table>", "H1\tH2\na\tb"},
    {"TableWithoutEndTags", "<table><tr><td>a<td>b<tr><td>c<td>d</table>", "a\tb\nc\td"},
    {"TableSections",
     "<table><thead><tr><td>1</td><td>2</td></tr></thead><tbody><tr><td>3</td><td>4</td></tr></tbody>"
     "<tfoot><tr><td>5</td><td>6</td></tr></tfoot></table>",
     "1\t2\n3\t4\n5\t6"},
    {"TableAmongText", "before<table><tr><td>x</td></tr></table>after", "before\nx\nafter"},
    {"TableCaption", "<table><caption>Cap</caption><tr><td>a</td></tr></table>", "Cap\na"},
    {"EmptyCell", "<table><tr><td>a</td><td></td><td>c</td></tr></table>", "a\t\tc"},
    {"CellWhitespace", "<table>\n <tr>\n  <td> a </td>\n  <td>\n b </td>\n </tr>\n</table>", "a\tb"},
    {"ParagraphInCell", "<table><tr><td><p>a</p></td><td>b</td></tr></table>", "a\n\n\tb"},
    {"NestedTable", "<table><tr><td>a<table><tr><td>x</td><td>y</td></tr></table></td><td>b</td></tr></table>",
     "a\nx\ty\n\tb"},
    {"TwoTables", "<table><tr><td>a</td></tr></table><table><tr><td>b</td></tr></table>", "a\nb"},
    // Text that is not rendered.
    {"ScriptAndStyle", "<style>p{color:red}</style><p>A</p><script>var x = '<b>no</b>';</script>B", "A\n\nB"},
    {"ScriptWithMarkup", "x<script>if (a < b && c > d) document.write('<p>y</p>');</script>z", "xz"},
    {"NoScriptTemplate", "a<noscript>enable scripts</noscript><template><p>t</p></template>b", "ab"},
    {"WholeDocument",
     "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"utf-8\"><title>Title</title>"
     "<style>body{}</style></head><body><p>Body</p></body></html>",
     "Body"},
    {"TextAfterDocumentEnd", "<html><body>a</body></html>b", "ab"},
    {"HiddenAttribute", "a<div hidden>gone</div>b", "ab"},
    {"DisplayNone", "<p>a<span style=\"color: red; display : None\">secret</span>b</p>", "ab"},
    {"DisplayNoneImportant", "a<SPAN STYLE='DISPLAY:NONE !IMPORTANT'>x</SPAN>b", "ab"},
    {"DisplayOverridden", "a<span style=\"display:none;display:inline\">x</span>b", "axb"},
    {"FormControls", "a<select><option>x</option></select><textarea>y</textarea><button>ok</button>b", "aokb"},
    {"Frame", "a<iframe src=\"x\">fallback</iframe>b", "ab"},
    // Entities and characters.
    {"Entities", "<p>Tom &amp; Jerry &lt;3 &quot;x&quot; &eacute;t&eacute; &#8364; &#x41; &euro;</p>",
     "Tom & Jerry <3 \"x\" \xC3\xA9t\xC3\xA9 \xE2\x82\xAC A \xE2\x82\xAC"},
    {"UnknownEntity", "&bogus; stays", "&bogus; stays"},
    {"NonBreakingSpaces", "a&nbsp;&nbsp;b&nbsp;", "a\xC2\xA0\xC2\xA0" "b\xC2\xA0"},
    {"Unicode", "<p>Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80</p>", "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80"},
    {"LessThanInText", "a < b", "a < b"},
    // Preformatted text.
    {"Pre", "<pre>\n  a   b\n\tc</pre>", "  a   b\n\tc"},
    {"PreAmongText", "x<pre>a\n\nb</pre>y", "x\na\n\nb\ny"},
    {"PreWithMarkup", "<pre><b>bold</b>  <i>it</i>\n</pre>", "bold  it\n"},
    // Broken markup.
    {"UnclosedInline", "<p>a<b>b<i>c</p>d", "abc\n\nd"},
    {"StrayEndTags", "a</div></span></td>b", "ab"},
    {"UnclosedComment", "a<!-- b", "a"},
};

INSTANTIATE_TEST_SUITE_P(Html, InnerTextCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HtmlCase>& info) { return info.param.Name; });

// Character references as the HTML standard reads them in text.
const HtmlCase kReferenceCases[] = {
    {"C1NumbersAreWindows1252", "&#128; &#146;s &#150; &#x80; &#X9F;", "\u20AC \u2019s \u2013 \u20AC \u0178"},
    {"UnusedWindows1252BytesStay", "a&#129;b&#x9D;c", "a\u0081b\u009Dc"},
    {"ZeroIsTheReplacementCharacter", "a&#0;b&#x0000;c", "a\uFFFDb\uFFFDc"},
    {"BeyondUnicodeIsTheReplacementCharacter", "a&#x110000;b&#99999999999999999999;c", "a\uFFFDb\uFFFDc"},
    {"SurrogatesAreTheReplacementCharacter", "a&#xD800;b&#57343;c", "a\uFFFDb\uFFFDc"},
    {"NumbersWithoutSemicolon", "&#65;&#66&#x43x", "ABCx"},
    {"NumbersWithoutDigits", "&#; &#x; &#xg", "&#; &#x; &#xg"},
    {"LegacyNamesWithoutSemicolon", "a&nbspb &amp &copy2 &AMP &lt", "a\u00A0b & \u00A92 & <"},
    {"LongestLegacyPrefix", "&notit; &notin; &ampx", "\u00ACit; \u2209 &x"},
    {"NamesOnlyWithSemicolon", "&hellip &hellip; &check; &check", "&hellip \u2026 \u2713 &check"},
    {"TwoCharacterName", "&NotEqualTilde;", "\u2242\u0338"},
    {"UnknownNames", "&bogus; &; & x &ampamp;", "&bogus; &; & x &amp;"},
    {"ReferencesMakeNoMarkup", "&lt;b>x&lt;/b> &ltb>y", "<b>x</b> <b>y"},
    {"NameAfterTag", "<b>&eacute</b>t&eacute;", "\u00E9t\u00E9"},
    {"AttributesAndScriptsAreNotText", "<p title=\"&#128;\">x</p><script>var a='&#128;';</script>",
     "x"},
    {"CaseCountsInNames", "&Eacute;&eacute;&EACUTE;", "\u00C9\u00E9&EACUTE;"},
};

INSTANTIATE_TEST_SUITE_P(References, InnerTextCases, testing::ValuesIn(kReferenceCases),
                         [](const testing::TestParamInfo<HtmlCase>& info) { return info.param.Name; });

// Every name of the standard's table, with and without its ";", against
// Python's html.unescape, which reads text by the same rules.
TEST(InnerText, EveryNamedReferenceAsPythonReadsIt) {
  const vxTest::TProgramResult python = vxTest::RunProgram(
      {"/usr/bin/python3", "-c",
       "import html, html.entities\n"
       "for name in sorted(html.entities.html5):\n"
       "  text = html.unescape('&' + name + 'z')\n"
       "  print(name, ' '.join('%X' % ord(c) for c in text))\n"});
  ASSERT_EQ(python.ExitStatus, 0) << python.Output;
  size_t lines = 0, start = 0;
  for (size_t end; (end = python.Output.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = python.Output.substr(start, end - start);
    const size_t blank = line.find(' ');
    ASSERT_NE(blank, std::string::npos) << line;
    const std::string name = line.substr(0, blank);
    ustring expected;
    for (size_t at = blank + 1; at < line.size();) {
      size_t next = line.find(' ', at);
      if (next == std::string::npos) next = line.size();
      const auto code = static_cast<char32_t>(std::stoul(line.substr(at, next - at), nullptr, 16));
      if (code >= 0x10000) {
        expected += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        expected += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
      } else {
        expected += static_cast<char16_t>(code);
      }
      at = next + 1;
    }
    // The walker collapses white space; the two names of it read alike.
    if (name == "Tab;" || name == "NewLine;") expected = u"z";
    EXPECT_EQ(Text(u"&" + Utf8ToWide(name) + u"z"), expected) << name;
    ++lines;
  }
  EXPECT_GT(lines, 2000u);
}

TEST(InnerText, LineBreaksAreTheCallersOwn) {
  EXPECT_EQ(vxHtmlText::InnerText(u"<p>a</p>b<br>c<pre>d\r\ne\rf</pre>", u"\r\n"),
            u"a\r\n\r\nb\r\nc\r\nd\r\ne\r\nf");
}

TEST(InnerText, NulCharactersAndByteOrderMarkAreDropped) {
  EXPECT_EQ(Text(ustring(u"\uFEFFa") + char16_t(0) + u"b<p>c" + char16_t(0) + u"</p>"), u"ab\n\nc");
}

TEST(InnerText, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Text(ustring(u"a") + char16_t(0xD800) + u"b"), u"a\uFFFDb");
}

TEST(InnerText, NestingWithinTheLimitKeepsItsText) {
  std::u16string html;
  for (int i = 0; i < 120; ++i) html += u"<div><span>";
  html += u"deep";
  EXPECT_EQ(Text(html), u"deep");
}

TEST(InnerText, NestingBeyondTheLimitGivesNoText) {
  for (const ustring& tag : {ustring(u"<div>"), ustring(u"<b>"), ustring(u"<table><tr><td>")}) {
    std::u16string html = u"start";
    for (int i = 0; i < 100000; ++i) html += tag;
    html += u"deep";
    EXPECT_EQ(Text(html), u"");
  }
}

TEST(InnerText, HugeAttributesAndTextPass) {
  const ustring big(4 * 1024 * 1024, u'x');
  EXPECT_EQ(Text(u"<p title=\"" + big + u"\" class=" + big + u">t</p>"), u"t");
  EXPECT_EQ(Text(u"<p>" + big + u"</p>").size(), big.size());
  EXPECT_EQ(Text(u"<p style=\"" + big + u"\">s</p>"), u"s");
}

TEST(InnerText, ManyCellsAndRowsStayLinear) {
  ustring html = u"<table>";
  for (int row = 0; row < 2000; ++row) {
    html += u"<tr>";
    for (int cell = 0; cell < 20; ++cell) html += u"<td>x";
  }
  const ustring text = Text(html);
  ustring line = u"x";
  for (int cell = 1; cell < 20; ++cell) line += u"\tx";
  ASSERT_EQ(text.size(), 2000 * (line.size() + 1) - 1);
  EXPECT_EQ(text.substr(0, line.size() + 1), line + u"\n");
}

TEST(InnerText, PrintsNothingOnStderr) {
  testing::internal::CaptureStderr();
  std::u16string html = u"<p a=1 a=2 <<>></foo><!DOCTYPE x><?pi?>&#xFFFFFFF;&#0;<meta charset=\"latin1\">\u00e4";
  for (int i = 0; i < 300; ++i) html += u"<div>";
  Text(html);
  Text(u"<p>ok</p></p></p><x:y z:q=1>");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(InnerText, ThreadsMayParseAtOnce) {
  const ustring html = u"<table><tr><td>a</td><td>b</td></tr></table><ul><li>c</ul><script>x</script>&amp;";
  const ustring expected = u"a\tb\nc\n&";
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i)
        if (Text(html) != expected) ++failures[t];
    });
  for (std::thread& t : threads) t.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
