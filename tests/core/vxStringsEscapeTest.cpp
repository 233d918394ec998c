// Tests of core/vxStringsEscape.h: TvxStrings: the replacement families built
// on ReplaceW and ReplaceA, markers, script escapes and bytes.
#include "core/vxStringsEscape.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

using namespace TvxStrings;

namespace {

std::string Show(const ustring& text) {
  std::string shown(1, '\'');
  shown += WideToUtf8(text);
  shown += '\'';
  return shown;
}

// Reads the body of a script string literal back into its text, or nothing
// when it holds a character a literal may not hold bare or an escape that is
// not complete.
std::optional<ustring> ReadScriptLiteral(const ustring& literal) {
  ustring text;
  for (size_t i = 0; i < literal.size(); ++i) {
    const char16_t c = literal[i];
    if (c == u'"' || c < 32 || c > 127) return std::nullopt;
    if (c != u'\\') {
      text += c;
      continue;
    }
    if (++i == literal.size()) return std::nullopt;
    switch (literal[i]) {
      case u'b': text += u'\b'; break;
      case u't': text += u'\t'; break;
      case u'n': text += u'\n'; break;
      case u'f': text += u'\f'; break;
      case u'r': text += u'\r'; break;
      case u'"':
      case u'/':
      case u'\\': text += literal[i]; break;
      case u'u': {
        if (i + 4 >= literal.size()) return std::nullopt;
        unsigned code = 0;
        for (int k = 1; k <= 4; ++k) {
          const char16_t h = literal[i + k];
          code <<= 4;
          if (h >= u'0' && h <= u'9')
            code |= h - u'0';
          else if (h >= u'A' && h <= u'F')
            code |= h - u'A' + 10;
          else
            return std::nullopt;  // only upper-case digits are written
        }
        text += static_cast<char16_t>(code);
        i += 4;
        break;
      }
      default: return std::nullopt;
    }
  }
  return text;
}

}  // namespace

TEST(StringsEscape, ReplaceWithoutPos) {
  struct Case {
    ustring content, search, replace;
    TSEARCH_TYPE posId;
    ustring expected;
  };
  const Case cases[] = {
      {u"a,b,c", u",", u";", FIRST_POS, u"a,b;c"},
      {u"a,b,c", u",", u";", LAST_POS, u"a;b,c"},
      {u"a,b,c", u",", u";", EACH_POS, u"a,b,c"},
      {u"abc", u",", u";", FIRST_POS, u"abc"},
      {u"a,b,c,d", u",", u";", FIRST_POS, u"a,b;c;d"},
      {u"a,b,c,d", u",", u";", LAST_POS, u"a;b;c,d"},
      {u"a,b,c,d", u",", u";", EACH_POS, u"a,b;c,d"},
      {u"a,b", u",", u";", FIRST_POS, u"a,b"},  // one occurrence stays, whatever the choice
      {u"a,b", u",", u";", LAST_POS, u"a,b"},
      {u"a,b", u",", u";", EACH_POS, u"a,b"},
      {u",a,", u",", u";", FIRST_POS, u",a;"},  // occurrences at both ends
      {u",a,", u",", u";", LAST_POS, u";a,"},
      {u"a,,,b", u",", u"", FIRST_POS, u"a,b"},
      {u"aaaa", u"aa", u"b", FIRST_POS, u"aab"},  // occurrences do not overlap
      {u"aaaa", u"aa", u"b", LAST_POS, u"baa"},
      {u"a--b--c--d", u"--", u"+", EACH_POS, u"a--b+c--d"},
      {u"a,B,c", u"b", u"x", FIRST_POS, u"a,B,c"},  // case counts
      {u"a,b,c", u"", u";", FIRST_POS, u"a,b,c"},
      {u"", u",", u";", LAST_POS, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.search) + " " + Show(c.replace) + " " + std::to_string(c.posId));
    EXPECT_EQ(ReplaceWithoutPos(c.content, c.search, c.replace, c.posId), c.expected);
  }
}

// Cases where the 8-bit and the UTF-16 forms agree (ASCII texts).
TEST(StringsEscape, ReplaceEachElement) {
  struct Case {
    ustring content, sources, destinations;
    bool ignoreCase;
    ustring expected;
  };
  const Case cases[] = {
      {u"a b", u"a,b", u"x,y", false, u"x y"},
      {u"a", u"a,b", u"b,c", false, u"c"},  // each pair works on the result of the ones before
      {u"b", u"a,b", u"b,c", false, u"c"},
      {u"Hello World", u"hello", u"Bye", true, u"Bye World"},
      {u"Hello World", u"hello", u"Bye", false, u"Hello World"},
      {u"ab", u"a b", u"x,y", false, u"xy"},                // unquoted blanks separate items
      {u"a b c", u"\"a b\",c", u"\"x y\",z", false, u"x y z"},  // quoted items keep their blanks
      {u"I say \"hi\"", u"\"say \"\"hi\"\"\"", u"ok", false, u"I ok"},
      {u"a", u"a,", u"x,y", false, u"x"},                   // an empty item replaces nothing
      {u"abc", u"", u"", false, u"abc"},
      {u"", u"a", u"b", false, u""},
      {u"1;2;3", u"1,2,3", u"one,two,three", false, u"one;two;three"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.sources) + " " + Show(c.destinations));
    EXPECT_EQ(ReplaceEachElementW(c.content, c.sources, c.destinations, c.ignoreCase), c.expected);
    EXPECT_EQ(ReplaceEachElement(WideToAnsi(c.content), WideToAnsi(c.sources), WideToAnsi(c.destinations),
                                 c.ignoreCase),
              WideToAnsi(c.expected));
  }
}

TEST(StringsEscape, ReplaceEachElementFormsFollowTheirReplacement) {
  // The UTF-16 form folds every script; the 8-bit form only a-z.
  EXPECT_EQ(ReplaceEachElementW(u"ÄBC", u"äbc", u"x", true), u"x");
  EXPECT_EQ(ReplaceEachElement("\xC4" "BC", "\xE4" "bc", "x", true), "\xC4" "BC");
  // The 8-bit replacement repeats until the text no longer holds the source.
  EXPECT_EQ(ReplaceEachElement("aaaa", "aa", "a", false), "a");
  EXPECT_EQ(ReplaceEachElementW(u"aaaa", u"aa", u"a", false), u"aa");
  // Texts equal ignoring case replace only when case is ignored.
  EXPECT_EQ(ReplaceEachElementW(u"abc", u"abc", u"ABC", false), u"abc");
  EXPECT_EQ(ReplaceEachElementW(u"abc", u"abc", u"ABC", true), u"ABC");
}

TEST(StringsEscape, ReplaceEachElementListsOfDifferentCounts) {
  struct Case {
    ustring sources, destinations, message;
  };
  const Case cases[] = {
      {u"a,b", u"x", u"the two given listStrings has diverent counts... (2/1)"},
      {u"a", u"x,y,z", u"the two given listStrings has diverent counts... (1/3)"},
      {u"", u"x", u"the two given listStrings has diverent counts... (0/1)"},
      {u"a b", u"\"x y\"", u"the two given listStrings has diverent counts... (2/1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.sources) + " " + Show(c.destinations));
    try {
      ReplaceEachElementW(u"a b", c.sources, c.destinations, false);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_STREQ(e.ClassName(), "Exception");
    }
    try {
      ReplaceEachElement("a b", WideToAnsi(c.sources), WideToAnsi(c.destinations), true);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_STREQ(e.ClassName(), "Exception");
    }
  }
}

TEST(StringsEscape, ReplaceEachElementWEx) {
  struct Case {
    std::vector<ustring> lines;
    ustring content;
    bool ignoreCase;
    ustring expected;
  };
  const Case cases[] = {
      {{u"a=1", u"b=2"}, u"a b c", false, u"1 2 c"},
      {{u"a=b", u"b=c"}, u"a", false, u"c"},                // in list order, on the result so far
      {{u"b=c", u"a=b"}, u"a", false, u"b"},
      {{u"k=v=w"}, u"k", false, u"v=w"},                    // the name ends at the first "="
      {{u"X="}, u"aXbxc", false, u"abxc"},
      {{u"X="}, u"aXbxc", true, u"abc"},
      {{u"nothing"}, u"nothing here", false, u"nothing here"},  // no "=": no change
      {{u"=z"}, u"abc", false, u"abc"},
      {{}, u"abc", false, u"abc"},
      {{u"ab=AB"}, u"ab", false, u"ab"},  // equal ignoring case: left alone unless case is ignored
      {{u"ab=AB"}, u"ab", true, u"AB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content));
    TStringList list;
    for (const ustring& line : c.lines) list.Add(line);
    EXPECT_EQ(ReplaceEachElementWEx(c.content, list, c.ignoreCase), c.expected);
  }
}

TEST(StringsEscape, ReplaceAfterElement) {
  struct Case {
    ustring content, afterElement, source, destination, expected;
  };
  const Case cases[] = {
      {u"a=1;b=1;", u"=", u"1", u"2", u"a=2;b=2;"},
      {u"abc", u"=", u"1", u"2", u"abc"},
      {u"a=x", u"=", u"1", u"2", u"a=x"},
      {u"1=1", u"=", u"1", u"2", u"1=2"},             // a Source in front of the marker stays
      {u"a=x;b=1", u"=", u"1", u"2", u"a=x;b=2"},     // the first Source behind the marker, however far
      {u"a=11", u"=", u"1", u"2", u"a=21"},           // only the first one
      {u"a=1;b=x", u"=", u"1", u"2", u"a=2;b=x"},
      {u"==1=1", u"=", u"1", u"2", u"==2=2"},
      {u"a=1", u"=", u"1", u"=1", u"a==1"},           // replaced text is not searched again
      {u"key: old, key: old", u"key: ", u"old", u"new", u"key: new, key: new"},
      {u"A=1", u"a", u"1", u"2", u"A=1"},             // case counts
      {u"a=1", u"", u"1", u"2", u"a=1"},
      {u"a=1", u"=", u"", u"2", u"a=1"},
      {u"", u"=", u"1", u"2", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.afterElement) + " " + Show(c.source) + " " + Show(c.destination));
    EXPECT_EQ(ReplaceAfterElement(c.content, c.afterElement, c.source, c.destination), c.expected);
  }
}

TEST(StringsEscape, ReplaceCharsBeforeString) {
  struct Case {
    ustring content, search, replace;
    int32_t fromPos, countChars;
    bool ignoreCase;
    ustring expected;
  };
  const Case cases[] = {
      {u"ab12X", u"X", u"-", 1, 2, false, u"ab-X"},
      {u"ab12X", u"X", u"-", 1, 9, false, u"-X"},      // fewer in front: all of them
      {u"ab12X", u"Y", u"-", 1, 2, false, u"ab12X"},
      {u"ab12X", u"X", u"-", 1, 4, false, u"-X"},
      {u"ab12X", u"X", u"-", 1, 0, false, u"ab12-X"},  // nothing replaced, ReplaceString inserted
      {u"ab12X", u"X", u"-", 1, -1, false, u"ab12-X"}, // a negative count replaces nothing
      {u"ab12X", u"X", u"-", 1, INT_MIN, false, u"ab12-X"},
      {u"ab12X", u"X", u"-", 1, INT_MAX, false, u"-X"},
      {u"ab12X", u"x", u"-", 1, 2, true, u"ab-X"},
      {u"ab12X", u"x", u"-", 1, 2, false, u"ab12X"},
      {u"aXbbX", u"X", u"-", 3, 1, false, u"aXb-X"},   // the first hit at or after FromPos
      {u"aXbbX", u"X", u"-", 0, 1, false, u"-XbbX"},
      {u"aXbbX", u"X", u"-", -7, 1, false, u"-XbbX"},
      {u"aXbbX", u"X", u"-", 6, 1, false, u"aXbbX"},
      {u"Xab", u"X", u"-", 1, 2, false, u"-Xab"},
      {u"abcEND", u"END", u"", 1, 1, false, u"abEND"},
      {u"ab12X", u"", u"-", 1, 2, false, u"ab12X"},
      {u"", u"X", u"-", 1, 2, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.search) + " from " + std::to_string(c.fromPos) + " count " +
                 std::to_string(c.countChars));
    EXPECT_EQ(ReplaceCharsBeforeString(c.content, c.search, c.replace, c.fromPos, c.countChars, c.ignoreCase),
              c.expected);
    EXPECT_EQ(RemoveCharsBeforeString(c.content, c.search, c.fromPos, c.countChars, c.ignoreCase),
              ReplaceCharsBeforeString(c.content, c.search, u"", c.fromPos, c.countChars, c.ignoreCase));
  }
  EXPECT_EQ(RemoveCharsBeforeString(u"ab12X", u"X", 1, 2, false), u"abX");
}

TEST(StringsEscape, RemoveBlankBetween) {
  struct Case {
    ustring content, fromString, toString, expected;
  };
  const Case cases[] = {
      {u"Nr. 5 Nr.  6", u"Nr.", u"5", u"Nr.5 Nr.  6"},
      {u"x ,y ,z", u"%ALL%", u",", u"x,y,z"},
      {u"Nr. 5 Nr.  6", u"Nr.", u"%ALL%", u"Nr.5 Nr. 6"},  // one blank per occurrence
      {u"Nr.  5", u"Nr.", u"5", u"Nr.  5"},                // exactly one blank between
      {u"Nr. 5", u"Nr.", u"6", u"Nr. 5"},
      {u"x  ,y", u"%ALL%", u",", u"x ,y"},
      {u"a %ALL% %ALL% b", u"%ALL%", u"%ALL%", u"a %ALL%%ALL% b"},  // both markers: taken literally
      {u"x %all% y", u"%all%", u"y", u"x %all%y"},          // the marker is compared exactly
      {u"a ,b", u"%all%", u",", u"a ,b"},
      {u"", u"Nr.", u"5", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.fromString) + " " + Show(c.toString));
    EXPECT_EQ(RemoveBlankBetween(c.content, c.fromString, c.toString), c.expected);
  }
}

TEST(StringsEscape, ReplaceElementWhenInQuotationMarks) {
  struct Case {
    ustring content;
    char16_t search, replace;
    ustring expected;
  };
  const Case cases[] = {
      {u"a,\"b,c\",d", u',', u';', u"a,\"b;c\",d"},
      {u"a,\"b,c,d", u',', u';', u"a,\"b;c;d"},             // an unclosed quote runs to the end
      {u"\"a,b\",c,\"d,e\"", u',', u';', u"\"a;b\",c,\"d;e\""},
      {u"\"\",a,\"\"", u',', u';', u"\"\",a,\"\""},
      {u"a\"b\"c", u'"', u';', u"a\"b\"c"},                 // the quotes never change
      {u"x\"a,b,c\"y,z", u',', u'"', u"x\"a\"b\"c\"y,z"},   // a written quote does not toggle
      {u"\"a b\" c", u' ', u'_', u"\"a_b\" c"},
      {u"a,b", u',', u';', u"a,b"},
      {u"", u',', u';', u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content));
    EXPECT_EQ(ReplaceElementWhenInQuotationMarks(c.content, c.search, c.replace), c.expected);
  }
}

TEST(StringsEscape, AddWhenNotBeginOrEnd) {
  struct Case {
    ustring content, flag;
    TSEARCH_TYPE posId;
    ustring expected;
  };
  const Case cases[] = {
      {u"dir", u"\\", LAST_POS, u"dir\\"},
      {u"dir", u"/", LAST_POS, u"dir/"},
      {u"dir/", u"/", LAST_POS, u"dir/"},
      {u"", u"/", EACH_POS, u"/"},          // one flag only
      {u" /x", u"/", FIRST_POS, u" /x"},    // the begin test trims
      {u"x", u"/", FIRST_POS, u"/x"},
      {u"/x", u"/", FIRST_POS, u"/x"},
      {u"x", u"/", EACH_POS, u"/x/"},
      {u"/x/", u"/", EACH_POS, u"/x/"},
      {u"x/ ", u"/", LAST_POS, u"x/ /"},    // the end test does not trim
      {u"X", u"x", EACH_POS, u"xXx"},       // case counts
      {u"", u"/", FIRST_POS, u"/"},
      {u"", u"/", LAST_POS, u"/"},
      {u"x", u"", EACH_POS, u"x"},
      {u"a", u"--", EACH_POS, u"--a--"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.flag) + " " + std::to_string(c.posId));
    EXPECT_EQ(AddWhenNotBeginOrEnd(c.content, c.flag, c.posId), c.expected);
  }
}

TEST(StringsEscape, AppendW) {
  struct Case {
    ustring content, always, onRule;
    bool rule;
    TAPPEND_TYPE appendType;
    ustring expected;
  };
  const Case cases[] = {
      {u"b", u"a", u"r", true, REPLACE_FIRST, u"rab"},
      {u"b", u"a", u"r", true, REPLACE_LAST, u"bar"},
      {u"b", u"a", u"r", false, REPLACE_FIRST, u"ab"},
      {u"b", u"a", u"r", false, REPLACE_LAST, u"ba"},
      {u"", u"", u"r", true, REPLACE_LAST, u"r"},
      {u"b", u"", u"", true, REPLACE_FIRST, u"b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.always) + " " + Show(c.onRule));
    EXPECT_EQ(AppendW(c.content, c.always, c.onRule, c.rule, c.appendType), c.expected);
  }
}

TEST(StringsEscape, StringToJScriptString) {
  struct Case {
    ustring value, expected;
  };
  const Case cases[] = {
      {u"", u""},
      {u"\t\r\x01", u"\\t\\r\\u0001"},
      {u"\b\n\f", u"\\b\\n\\f"},
      {u"say \"hi\"", u"say \\\"hi\\\""},
      {u"</script>", u"<\\/script>"},
      {u"a\\b", u"a\\\\b"},
      {u"é", u"\\u00E9"},
      {u"ÿ", u"\\u00FF"},                         // upper-case hexadecimal digits
      {u"\x7F", u"\x7F"},                          // 127 stays
      {u"\x80", u"\\u0080"},
      {ustring(1, u'\0'), u"\\u0000"},
      {u"\x0B\x0E\x1F", u"\\u000B\\u000E\\u001F"},
      {u"\U0001F600", u"\\uD83D\\uDE00"},          // each half of a pair by itself
      {u"\u2028\u2029", u"\\u2028\\u2029"},        // line separators cannot end a literal
      {u"\uABCD", u"\\uABCD"},
      {u"it's ~ok~", u"it's ~ok~"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.value));
    EXPECT_EQ(StringToJScriptString(c.value), c.expected);
  }
}

// Every UTF-16 unit, lone surrogates included, comes back from the literal
// unchanged, and the literal holds only printable ASCII.
TEST(StringsEscape, ScriptLiteralReadsBackToTheText) {
  ustring every;
  for (unsigned code = 0; code <= 0xFFFF; ++code) every += static_cast<char16_t>(code);
  const std::vector<ustring> texts = {every, u"", u"\"\\/\"", u"a\U0001F600b\r\n", ustring(3, u'\0')};
  for (const ustring& text : texts) {
    const std::optional<ustring> back = ReadScriptLiteral(StringToJScriptString(text));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, text);
  }
}

TEST(StringsEscape, ByteArrays) {
  std::string allBytes;
  for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(b);
  struct Case {
    std::string text;
    TbyteArray bytes;
  };
  const Case cases[] = {
      {"", {}},
      {"AB", {65, 66}},
      {std::string("a\0b", 3), {97, 0, 98}},
      {"\xE4\xFF", {0xE4, 0xFF}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringToByteArray(c.text), c.bytes);
    EXPECT_EQ(ByteArrayToString(c.bytes), c.text);
  }
  const TbyteArray bytes = StringToByteArray(allBytes);
  ASSERT_EQ(bytes.size(), 256u);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(bytes[b], b);
  EXPECT_EQ(ByteArrayToString(bytes), allBytes);
}
