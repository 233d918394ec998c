// Tests of platform/mail/vxMimeCodec.h: the small encodings of Internet mail:
// Base64 and quoted-printable bodies (RFC 2045).
#include "platform/mail/vxMimeCodec.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/vxCodePage.h"
#include "support/vxCLocaleGuard.h"

using namespace vxMimeCodec;

namespace {

std::string AllBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s.push_back(static_cast<char>(i));
  return s;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace

TEST(MimeCodec, Base64KnownValues) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
  for (const auto& [plain, encoded] : cases) {
    EXPECT_EQ(Base64Encode(plain), encoded);
    EXPECT_EQ(Base64Decode(encoded), plain);
  }
}

TEST(MimeCodec, Base64LinesAre76ColumnsAndRoundTrip) {
  std::string data;
  for (int i = 0; i < 40; ++i) data += AllBytes();
  const std::string encoded = Base64EncodeLines(data);
  const auto lines = Lines(encoded);
  ASSERT_GT(lines.size(), 2u);
  for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 76u);
  EXPECT_LE(lines.back().size(), 76u);
  EXPECT_EQ(encoded.substr(encoded.size() - 2), "\r\n");
  EXPECT_EQ(Base64Decode(encoded), data);
  EXPECT_EQ(Base64EncodeLines(""), "");
}

TEST(MimeCodec, Base64DecodeSkipsJunkAndStopsAtPadding) {
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
  EXPECT_EQ(Base64Decode(" Zm 9v*"), "foo");
  EXPECT_EQ(Base64Decode("Zg==Zm9v"), "f");
}

TEST(MimeCodec, LineBreaksNormalised) {
  EXPECT_EQ(NormaliseLineBreaks("a\nb\rc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(NormaliseLineBreaks(""), "");
  // Text that is CR LF throughout comes back as it is; one lone CR or LF in
  // it is still mended.
  EXPECT_EQ(NormaliseLineBreaks("a\r\nb\r\n\r\n"), "a\r\nb\r\n\r\n");
  EXPECT_EQ(NormaliseLineBreaks("a\r\nb\rc\r\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(NormaliseLineBreaks("a\r\nb\nc"), "a\r\nb\r\nc");
  EXPECT_EQ(NormaliseLineBreaks("\na\r\n"), "\r\na\r\n");
  EXPECT_EQ(NormaliseLineBreaks("a\r"), "a\r\n");
}

TEST(MimeCodec, QuotedPrintableCases) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain text", "plain text"},
      {"a=b", "a=3Db"},
      {"trailing blank \r\nnext", "trailing blank=20\r\nnext"},
      {"tab at end\t", "tab at end=09"},
      {"gr\xC3\xBC\xC3\x9F", "gr=C3=BC=C3=9F"},
      {"lone\nlf", "lone=0Alf"},
      {"", ""},
  };
  for (const auto& [plain, encoded] : cases) {
    EXPECT_EQ(QuotedPrintableEncode(plain), encoded) << plain;
    EXPECT_EQ(QuotedPrintableDecode(encoded), plain) << encoded;
  }
}

TEST(MimeCodec, QuotedPrintableLongLinesBreakSoftlyWithin76Columns) {
  std::string text(200, 'x');
  text += "\xC3\xA4\xC3\xA4\xC3\xA4 ";
  text += "\r\n" + std::string(75, 'y') + "=" + "\r\n" + std::string(76, 'z');
  const std::string encoded = QuotedPrintableEncode(text);
  for (const std::string& line : Lines(encoded)) EXPECT_LE(line.size(), 76u) << line;
  EXPECT_EQ(QuotedPrintableDecode(encoded), text);
  // A line of exactly 76 characters needs no soft break.
  EXPECT_EQ(QuotedPrintableEncode(std::string(76, 'z')), std::string(76, 'z'));
  EXPECT_EQ(QuotedPrintableEncode(std::string(77, 'z')), std::string(75, 'z') + "=\r\nzz");
  const std::string all = AllBytes();
  EXPECT_EQ(QuotedPrintableDecode(QuotedPrintableEncode(all)), all);
}

TEST(MimeCodec, QuotedPrintableDecodeIsLenient) {
  EXPECT_EQ(QuotedPrintableDecode("soft=\nbreak"), "softbreak");
  EXPECT_EQ(QuotedPrintableDecode("soft= \r\nbreak"), "softbreak");
  EXPECT_EQ(QuotedPrintableDecode("bad=ZZ and =4"), "bad=ZZ and =4");
  EXPECT_EQ(QuotedPrintableDecode("lower=c3=a4"), "lower\xC3\xA4");
  EXPECT_EQ(QuotedPrintableDecode("blanks dropped   \r\nkept  x"), "blanks dropped\r\nkept  x");
}

TEST(MimeCodec, Utf8Recognised) {
  EXPECT_TRUE(IsUtf8("ascii"));
  EXPECT_TRUE(IsUtf8("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsUtf8("\xE4"));            // Windows-1252 a-umlaut
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));        // overlong
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));    // surrogate
  EXPECT_FALSE(IsUtf8("\xE2\x82"));        // cut short
  EXPECT_EQ(UnknownBytesToWide("\xE4"), u"ä");
  EXPECT_EQ(UnknownBytesToWide("\xC3\xA4"), u"ä");
}

TEST(MimeCodec, CharsetsByName) {
  EXPECT_EQ(CharsetToWide("UTF-8", "\xC3\xA4"), u"ä");
  EXPECT_EQ(CharsetToWide("iso-8859-1", "\xE4"), u"ä");
  EXPECT_EQ(CharsetToWide("windows-1252", "\x80"), u"€");
  EXPECT_EQ(CharsetToWide("iso-8859-15", "\xA4"), u"€");
  EXPECT_EQ(CharsetToWide("koi8-r", "\xC1"), u"а");
  EXPECT_EQ(CharsetToWide("utf-8*de", "\xC3\xA4"), u"ä");
  EXPECT_EQ(CharsetToWide("no-such-charset", "\xE4"), u"ä");
}

TEST(MimeCodec, HeaderTextEncodedOnlyWhenNeeded) {
  EXPECT_EQ(EncodeHeaderText(u"Plain subject"), "Plain subject");
  EXPECT_EQ(EncodeHeaderText(u"Grüße"), "=?UTF-8?Q?Gr=C3=BC=C3=9Fe?=");
  EXPECT_EQ(EncodeHeaderText(u"a b"), "a b");
  // Line breaks can never start a new header field.
  const std::string injected = EncodeHeaderText(u"hi\r\nBcc: x@y");
  EXPECT_EQ(injected.find('\r'), std::string::npos);
  EXPECT_EQ(injected.find('\n'), std::string::npos);
  EXPECT_EQ(DecodeHeaderText(injected), u"hi\r\nBcc: x@y");
  // Text that looks like an encoded word is encoded, so it reads back as written.
  EXPECT_EQ(DecodeHeaderText(EncodeHeaderText(u"=?x?Q?y?=")), u"=?x?Q?y?=");
}

TEST(MimeCodec, HeaderTextWordsStayShortAndRoundTrip) {
  ustring text;
  for (int i = 0; i < 30; ++i) text += u"Größenänderung €😀 ";
  const std::string encoded = EncodeHeaderText(text);
  size_t start = 0;
  while (start < encoded.size()) {
    size_t end = encoded.find(' ', start);
    if (end == std::string::npos) end = encoded.size();
    EXPECT_LE(end - start, 75u);
    start = end + 1;
  }
  EXPECT_EQ(DecodeHeaderText(encoded), text);
  const ustring longWord(120, u'x');
  EXPECT_EQ(DecodeHeaderText(EncodeHeaderText(longWord)), longWord);
}

TEST(MimeCodec, HeaderTextDecoding) {
  const std::pair<std::string, ustring> cases[] = {
      {"=?ISO-8859-1?Q?a?=", u"a"},
      {"=?ISO-8859-1?Q?a?= b", u"a b"},
      {"=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=", u"ab"},
      {"=?ISO-8859-1?Q?a?=\r\n   =?ISO-8859-1?Q?b?=", u"ab"},
      {"=?ISO-8859-1?Q?a_b?=", u"a b"},
      {"=?utf-8?b?R3LDvMOfZQ==?=", u"Grüße"},
      {"(=?ISO-8859-1?Q?a?=)", u"(a)"},
      {"=?broken", u"=?broken"},
      {"plain \xE4 bytes", u"plain ä bytes"},
      // Encoded words longer than 75 characters are still read; longer than
      // a line, they are text.
      {"=?UTF-8?Q?" + std::string(200, 'a') + "?=", ustring(200, u'a')},
      {"=?UTF-8?Q?" + std::string(1000, 'a') + "?=", u"=?UTF-8?Q?" + ustring(1000, u'a') + u"?="},
  };
  for (const auto& [raw, text] : cases) EXPECT_EQ(DecodeHeaderText(raw), text) << raw;
  // Text full of starts of words that never end is read as it stands.
  std::string hostile;
  while (hostile.size() < 200'000) hostile += "=?a?Q?x";
  EXPECT_EQ(DecodeHeaderText(hostile), ustring(hostile.begin(), hostile.end()));
}

TEST(MimeCodec, ParametersFormatted) {
  EXPECT_EQ(FormatParameter("filename", u"report.pdf"), "filename=report.pdf");
  EXPECT_EQ(FormatParameter("filename", u"a, b.zip"), "filename=\"a, b.zip\"");
  EXPECT_EQ(FormatParameter("name", u"say \"hi\".txt"), "name=\"say \\\"hi\\\".txt\"");
  EXPECT_EQ(FormatParameter("filename", u"Größe.pdf"), "filename*=UTF-8''Gr%C3%B6%C3%9Fe.pdf");
  const ustring longName = ustring(50, u'ä') + u".txt";
  const std::string formatted = FormatParameter("filename", longName);
  EXPECT_NE(formatted.find("filename*0*=UTF-8''"), std::string::npos);
  EXPECT_NE(formatted.find("; filename*1*="), std::string::npos);
  EXPECT_EQ(ParseHeaderParameters("attachment; " + formatted).Get("filename"), longName);
  // No section ends inside a character.
  for (const ustring& value : {longName, u"x" + longName, ustring(u"Übersicht über alle Größen – 2024 €😀😀😀😀😀😀😀.zip")}) {
    const std::string text = FormatParameter("filename", value);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("; ", start);
      if (end == std::string::npos) end = text.size();
      std::string section = text.substr(text.find("*=", start) + 2, end - text.find("*=", start) - 2);
      if (section.rfind("UTF-8''", 0) == 0) section.erase(0, 7);
      std::string bytes;
      for (size_t i = 0; i < section.size(); ++i) {
        if (section[i] == '%' && i + 2 < section.size()) {
          bytes.push_back(static_cast<char>(std::stoi(section.substr(i + 1, 2), nullptr, 16)));
          i += 2;
        } else {
          bytes.push_back(section[i]);
        }
      }
      EXPECT_TRUE(IsUtf8(bytes)) << section;
      start = end + 2;
    }
    EXPECT_EQ(ParseHeaderParameters("attachment; " + text).Get("filename"), value);
  }
}

// Values a reader would cut or decode are written so that they read back
// as they are.
TEST(MimeCodec, ParametersReadBackAsWritten) {
  EXPECT_EQ(FormatParameter("filename", u"a*b.pdf"), "filename=\"a*b.pdf\"");
  EXPECT_EQ(FormatParameter("filename", u"it's.pdf"), "filename=\"it's.pdf\"");
  EXPECT_EQ(FormatParameter("filename", u"100%.pdf"), "filename=\"100%.pdf\"");
  EXPECT_EQ(FormatParameter("filename", u"=?utf-8?q?invoice?=.pdf").rfind("filename*=UTF-8''", 0), 0u);
  for (const ustring value : {u"=?utf-8?q?invoice?=.pdf", u"a*b.pdf", u"it's.pdf", u"100%.pdf", u"=?x.pdf", u"a=?b?=c"})
    EXPECT_EQ(ParseHeaderParameters("attachment; " + FormatParameter("filename", value)).Get("filename"), value)
        << WideToUtf8(value);
}

TEST(MimeCodec, ParametersParsed) {
  const THeaderParameters p = ParseHeaderParameters(
      "multipart/related;\r\n type=\"text/html\"; boundary=\"=_a;b\"; Charset=UTF-8; flag; x=\"q\\\"x\"");
  EXPECT_EQ(p.Value, "multipart/related");
  EXPECT_EQ(p.Get("type"), u"text/html");
  EXPECT_EQ(p.Get("boundary"), u"=_a;b");
  EXPECT_EQ(p.Get("charset"), u"UTF-8");
  EXPECT_EQ(p.Get("x"), u"q\"x");
  EXPECT_EQ(p.Get("missing"), u"");

  const std::pair<std::string, ustring> fileNames[] = {
      {"attachment; filename*=iso-8859-1'de'%E4rger.txt", u"ärger.txt"},
      {"attachment; filename*0=\"long \"; filename*1=\"name.txt\"", u"long name.txt"},
      {"attachment; filename*1*=%C3%A4.txt; filename*0*=utf-8''x", u"xä.txt"},
      {"attachment; filename=\"=?UTF-8?Q?Gr=C3=BC=C3=9Fe.pdf?=\"", u"Grüße.pdf"},
      {"attachment; filename=plain.txt", u"plain.txt"},
  };
  for (const auto& [raw, name] : fileNames) EXPECT_EQ(ParseHeaderParameters(raw).Get("filename"), name) << raw;
}

// The host process may set a C locale of its own: what we write and read must
// be what the "C" locale gives (an 8-bit locale calls bytes above 127 letters).
TEST(MimeCodec, OutputDoesNotFollowTheCLocale) {
  const auto run = [] {
    std::vector<std::string> out;
    out.push_back(EncodeHeaderText(u"M\u00fcller"));
    out.push_back(EncodeHeaderText(u"caf\u00e9 \u00e0 la carte"));
    out.push_back(FormatParameter("filename", u"M\u00fcller \u00e9t\u00e9.pdf"));
    out.push_back(WideToUtf8(DecodeHeaderText("=?iso-8859-1?q?M=FCller?=")));
    const THeaderParameters parsed = ParseHeaderParameters("attachment; filename*0*=utf-8''a%C3%BC; filename*1=b");
    for (const auto& p : parsed.Parameters) out.push_back(p.first + "=" + WideToUtf8(p.second));
    return out;
  };
  const std::vector<std::string> expected = run();
  for (const char* name : {"de_DE.ISO-8859-1", "de_DE.UTF-8"}) {
    TCLocaleGuard locale(name);
    if (!locale.Active()) GTEST_SKIP() << "locale " << name << " not installed (scripts/install-deps.sh makes it)";
    EXPECT_EQ(run(), expected) << name;
    for (const std::string& encoded : {EncodeHeaderText(u"M\u00fcller"), FormatParameter("filename", u"\u00fc.pdf")})
      for (char c : encoded) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << name << ": " << encoded;
  }
}
