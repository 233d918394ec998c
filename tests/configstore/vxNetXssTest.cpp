// Tests of the cross-site-scripting screen of configstore/vxNetWeb.h:
// known attack strings are refused or made harmless, known harmless texts
// pass, and the HTML escaping.
#include <gtest/gtest.h>

#include <string>

#include "configstore/vxNetWeb.h"
#include "platform/base/vxCodePage.h"
#include "support/vxRaisedMessage.h"

namespace {

constexpr const char* kRefused = "found possible XSS attack!";

std::string Screen(const ustring& Text, bool FullTest, const ustring& AttackFlags = u"") {
  return vxTest::RaisedMessage([&] { TvxNet::XSSProtection(Text, false, false, u"", FullTest, AttackFlags); });
}

TEST(XssScreen, KnownAttacksAreRefused) {
  struct TCase {
    ustring Text;
    bool ShortListFinds;  // the full list finds them all
  } cases[] = {
      {u"<script>alert(1)</script>", true},
      {u"<ScRiPt SRC=//evil.example/x.js></script>", true},
      {u"&#60;script&#62;", true},
      {u"&#x3C;script&#x3E;alert(1)", true},
      {u"&#0000060script", true},
      {u"javascript:alert(1)", true},
      {u"<a href=\"JaVaScRiPt:alert(1)\">x</a>", true},
      {u"<IMG SRC=\"jav ascript:alert('XSS');\">", true},
      {u"<IMG SRC=jav&#x09;ascript:alert('XSS')>", true},
      {u"<scr<script>ipt>alert(1)</script>", true},
      {u"x=document.cookie", true},
      {u"String.fromCharCode(88,83,83)", true},
      {u"<meta http-equiv=\"refresh\" content=\"0;url=data:text/html;base64,PHNjcmlwdD4=\">", true},
      {u"<applet code=x>", true},
      {u"$_GET[cmd]", true},
      {u"vbscript:msgbox(1)", true},
      {u"<img src=x onerror=alert(1)>", false},
      {u"<svg/onload=alert(1)>", false},
      {u"<iframe src=http://evil.example>", false},
      {u"<body onload=alert(1)>", false},
      {u"<object data=x.swf>", false},
      {u"<embed src=x>", false},
      {u"<link rel=stylesheet href=x>", false},
      {u"<style>@import'x'</style>", false},
      {u"<table background=\"javascript:alert(1)\">", true},
      {u"Set-Cookie: a=b", false},
      {u"&#60;&#105;frame src=x>", false},  // "<iframe" from numeric references
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Screen(c.Text, true), kRefused) << WideToUtf8(c.Text);
    EXPECT_EQ(Screen(c.Text, false) == kRefused, c.ShortListFinds) << WideToUtf8(c.Text);
  }
}

TEST(XssScreen, WhatTheShortListLetsThroughIsEscaped) {
  for (const ustring& text : {ustring(u"<img src=x onerror=alert(1)>"), ustring(u"<svg/onload=alert(1)>"),
                              ustring(u"\"><b onmouseover='x'>")}) {
    const ustring escaped = TvxNet::XSSProtection(text, true, false, u"", false, u"");
    for (const char16_t c : {u'<', u'>', u'"', u'\'', u'(', u')', u'/'})
      EXPECT_EQ(escaped.find(c), ustring::npos) << WideToUtf8(escaped);
    EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::XSSProtection(text, true, true, u"", false, u""); }), kRefused);
  }
}

TEST(XssScreen, HarmlessTextsPass) {
  for (const ustring text : {u"Hello world", u"O'Reilly (2)", u"100 000", u"Müller & Söhne GmbH", u"a < b",
                              u"C:\\temp\\file.txt", u"Invoice 4711/2024", u"user@example.com",
                              u"50% off; today only", u"#1 priority", u"ÄÖÜ äöü ß", u"", u"   "}) {
    for (const bool full : {false, true}) {
      EXPECT_EQ(TvxNet::XSSProtection(text, false, false, u"", full, u""), text) << WideToUtf8(text);
      EXPECT_NO_THROW(TvxNet::XSSProtection(text, true, false, u"", full, u"")) << WideToUtf8(text);
    }
  }
}

TEST(XssScreen, Escaping) {
  struct TCase {
    ustring Text, Allowed, Out;
  } cases[] = {
      {u"O'Reilly (2)", u"", u"O&#39;Reilly &#40;2&#41;"},
      {u"O'Reilly (2)", u"()", u"O&#39;Reilly (2)"},
      {u"O'Reilly (2)", u"   ", u"O&#39;Reilly &#40;2&#41;"},
      {u"100 000", u"", u"100 000"},
      {u"a & b; #1", u"", u"a &amp; b&#59; &#35;1"},
      {u"a & b; #1", u"&;#", u"a & b; #1"},
      {u"<a href=\"/x\">", u"", u"&lt;a href=&quot;&#47;x&quot;&gt;"},
      {u"&#59;", u"", u"&amp;&#35;59&#59;"},
      // A marker text in the input becomes its entity too.
      {u"<XSS_AND>", u"", u"&amp;"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(TvxNet::XSSProtection(c.Text, true, false, c.Allowed, false, u""), c.Out) << WideToUtf8(c.Text);

  EXPECT_EQ(vxTest::RaisedMessage([] { TvxNet::XSSProtection(u"O'Reilly (2)", true, true, u"", false, u""); }),
            kRefused);
  EXPECT_EQ(TvxNet::XSSProtection(u"100 000", true, true, u"", false, u""), u"100 000");
  EXPECT_EQ(TvxNet::XSSProtection(u"(x)", true, true, u"()", false, u""), u"(x)");
}

TEST(XssScreen, OwnAttackListsReplaceTheBuiltInOnes) {
  EXPECT_EQ(Screen(u"xAlPhAy", false, u"\"alpha\""), kRefused);
  EXPECT_EQ(Screen(u"x a l p h a", true, u"beta, alpha"), kRefused);
  EXPECT_EQ(Screen(u"<script>", true, u"alpha"), "(nothing raised)");
  // A quoted entry may hold commas; an empty entry finds nothing.
  EXPECT_EQ(Screen(u"a,b", false, u"\"a,b\""), kRefused);
  EXPECT_EQ(Screen(u"anything", false, u" , ,"), "(nothing raised)");
  // Whole-text blanks are set aside, so a spaced word is found.
  EXPECT_EQ(Screen(u"use base 64", true), kRefused);
}

}  // namespace
