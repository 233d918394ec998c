// Tests of the style-sheet and script minifiers of configstore/vxNetWeb.h.
#include <gtest/gtest.h>

#include <string>

#include "configstore/vxNetWeb.h"
#include "platform/base/vxCodePage.h"

namespace {

TEST(Minify, StyleSheets) {
  struct TCase {
    ustring In, Out;
  } cases[] = {
      {u"a {\r\n  color : red; /* c */ }", u"a { color : red;  } "},
      {u"/*! keep */\np { }", u"\r\n/*! keep */\r\n p { } "},
      {u"a{}/*! one */b{}/*! two */", u"a{}\r\n/*! one */\r\nb{}\r\n/*! two */\r\n "},
      // Comments over several lines, and one without its end, which stays.
      {u"a /* x\ny */ b", u"a  b "},
      {u"a /* open", u"a /* open "},
      {u"/*! open", u"/*! open "},
      // What is left on both sides of a comment may make a new one.
      {u"//**/* x */b", u"b "},
      {u"", u""},
      {u"\r\n\r\n", u"  "},
      {u" a \r b \n c ", u"a b c "},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::CompressCSS(c.In), c.Out) << WideToUtf8(c.In);
}

TEST(Minify, Scripts) {
  struct TCase {
    ustring In, Out;
  } cases[] = {
      {u"var a = 1; // c\nvar b = 2;", u"var a = 1; var b = 2;"},
      {u"var u = 'a//b';", u"var u = 'a//b';"},
      {u"var u = \"a/*b*/\";", u"var u = \"a/*b*/\";"},
      {u"x = /a\\/b/g; // c", u"x = /a\\/b/g;"},
      {u"/*! keep */", u"/*! keep */"},
      {u"a;/* x */b;", u"a; b;"},
      {u"a = 1;\n/* several\nlines */\nb = 2;", u"a = 1;   b = 2;"},
      {u"if (x) return /re//.test(y);", u"if (x) return /re//.test(y);"},
      {u"var d = a / b / c; // half", u"var d = a / b / c;"},
      // An escaped quote does not end a string: the "//" after it is text.
      {u"var s = 'it\\'s // here';", u"var s = 'it\\'s // here';"},
      {u"var s = \"say \\\"hi\\\" // now\";", u"var s = \"say \\\"hi\\\" // now\";"},
      {u"a /* open", u"a"},
      {u"", u""},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::CompressJavaScript(c.In), c.Out) << WideToUtf8(c.In);
}

}  // namespace
