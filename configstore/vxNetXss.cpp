// TvxNet: the cross-site-scripting screen. A text is searched for known
// attack fragments after numeric character references are decoded and case
// and blanks are set aside; a text that passes may be escaped for HTML.
#include <initializer_list>

#include "configstore/vxNetWeb.h"
#include "core/vxStringsReplace.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/lists/vxStringList.h"
#include "platform/text/vxNumberText.h"

namespace {

constexpr const char* kAttackMessage = "found possible XSS attack!";

const char16_t* const kFullList[] = {
    u"document.cookie", u"base64",   u".fromCharCode", u"<applet",    u"<body",   u"<embed",
    u"<frame",          u"<html",    u"<iframe",       u"<img",       u"<style",  u"<layer",
    u"<link",           u"<ilayer",  u"<meta",         u"<object",    u"<table",  u"SRC=",
    u"<svg/",           u"onload",   u"script:",       u"javascript", u"<script", u"redirect3",
    u"<metahttp-equiv", u"set-cookie", u"charset",     u"href=",      u"$_get[",
};

const char16_t* const kShortList[] = {
    u"&{",          u"script:", u"javascript", u"<script", u"document.cookie",
    u"base64", u".fromCharCode", u"<applet", u"redirect3", u"$_get[",
};

ustring Replaced(const ustring& Text, const ustring& Search, const ustring& Replacement) {
  return TvxStrings::ReplaceExactW(Text, Search, Replacement);
}

ustring Decimal(int Code) {
  const std::string digits = vxNumberText::IntText(Code);
  return ustring(digits.begin(), digits.end());
}

ustring LowerHex(int Code) {
  ustring text;
  vxRuntime::AppendHex(text, static_cast<uint64_t>(Code), 2, false);
  return text;
}

// The text the search runs on: zero runs, ";" and "&" gone, lower-cased,
// and the numeric references ("#60", "#060", "#x3c") of the codes 35 to 90
// and 97 to 122 turned back into their characters, in that order.
ustring Normalised(const ustring& Text) {
  ustring text = Text;
  for (const char16_t* piece : {u"00000", u"0000", u"000", u"00", u";", u"&"}) text = Replaced(text, piece, u"");
  text = LowerStrW(text);
  for (int code = 35; code <= 90 && text.find(u'#') != ustring::npos; ++code) {
    const ustring character(1, static_cast<char16_t>(code));
    text = Replaced(text, u"#" + Decimal(code), character);
    text = Replaced(text, u"#0" + Decimal(code), character);
    text = Replaced(text, u"#x" + LowerHex(code), character);
  }
  for (int code = 97; code <= 122 && text.find(u'#') != ustring::npos; ++code) {
    const ustring character(1, static_cast<char16_t>(code));
    text = Replaced(text, u"#" + Decimal(code), character);
    text = Replaced(text, u"#x" + LowerHex(code), character);
  }
  return text;
}

bool FindsAttack(const ustring& Text, const TStrings& Entries) {
  const ustring normalised = vxRuntime::Trim(Normalised(Text));
  if (normalised.empty()) return false;
  ustring haystack;
  for (const char16_t c : UpperStrW(normalised))
    if (c != u' ') haystack.push_back(c);
  for (int32_t i = 0; i < Entries.Count(); ++i) {
    const ustring entry = UpperStrW(vxRuntime::Trim(Entries[i]));
    if (!entry.empty() && haystack.find(entry) != ustring::npos) return true;
  }
  return false;
}

ustring Escaped(const ustring& Text, const ustring& AllowedChars) {
  const bool anyAllowed = !vxRuntime::Trim(AllowedChars).empty();
  auto allowed = [&](char16_t c) { return anyAllowed && AllowedChars.find(c) != ustring::npos; };
  ustring text = Text;
  // The markers keep the entities of each other and of the last step apart.
  if (!allowed(u';')) text = Replaced(text, u";", u"<XSS_SEMICOLON>");
  if (!allowed(u'#')) text = Replaced(text, u"#", u"<XSS_SHAPE>");
  if (!allowed(u'&')) text = Replaced(text, u"&", u"<XSS_AND>");
  text = Replaced(text, u"<XSS_SEMICOLON>", u"&#59;");
  text = Replaced(text, u"<XSS_SHAPE>", u"&#35;");
  text = Replaced(text, u"<XSS_AND>", u"&amp;");
  struct TEntity {
    char16_t Character;
    const char16_t* Text;
  };
  static constexpr TEntity kEntities[] = {{u'"', u"&quot;"}, {u'\'', u"&#39;"}, {u'(', u"&#40;"}, {u')', u"&#41;"},
                                          {u'/', u"&#47;"},  {u'<', u"&lt;"},   {u'>', u"&gt;"}};
  for (const TEntity& entity : kEntities)
    if (!allowed(entity.Character)) text = Replaced(text, ustring(1, entity.Character), entity.Text);
  return text;
}

}  // namespace

namespace TvxNet {

ustring XSSProtection(const ustring& TestString, bool QuoteString, bool ErrorWhenQuote, const ustring& AllowedChars,
                      bool FullTest, const ustring& AttackFlags) {
  TStringList entries;
  if (!AttackFlags.empty()) {
    entries.SetCommaText(AttackFlags);
  } else if (FullTest) {
    for (const char16_t* entry : kFullList) entries.Add(entry);
  } else {
    for (const char16_t* entry : kShortList) entries.Add(entry);
  }
  if (FindsAttack(TestString, entries)) throw Exception(kAttackMessage);
  if (!QuoteString) return TestString;
  const ustring escaped = Escaped(TestString, AllowedChars);
  if (ErrorWhenQuote && escaped.size() > TestString.size()) throw Exception(kAttackMessage);
  return escaped;
}

}  // namespace TvxNet
