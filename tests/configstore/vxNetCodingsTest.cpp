// Tests of the four percent codings of configstore/vxNet.h, with Python's
// urllib.parse as the independent reader and writer, and DecodeUrlPart
// against its meaning written out plainly (a replacement per code).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "tests/configstore/vxPythonPeer.h"

namespace {

using namespace std::string_literals;

// DecodeUrlPart as the replacement of every "%XX" for each code from 255
// down to 0, one code after the other.
std::string DecodeByPasses(std::string text) {
  for (int code = 255; code >= 0; --code) {
    std::string escape = "%";
    vxRuntime::AppendHexByte(escape, static_cast<unsigned char>(code));
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(escape); at != std::string::npos; at = text.find(escape, from)) {
      out.append(text, from, at - from);
      out.push_back(static_cast<char>(code));
      from = at + 3;
    }
    out.append(text, from, std::string::npos);
    text = out;
  }
  return text;
}

TEST(NetCodings, EncodeUrlPartEscapesAllButLettersDigitsAndThreeMarks) {
  struct TCase {
    std::string In, Out;
  } cases[] = {
      {"a b~", "a%20b%7E"},
      {"", ""},
      {"AZaz09-._", "AZaz09-._"},
      {"*%&/?", "%2A%25%26%2F%3F"},
      {"\x00\xFF\x80"s, "%00%FF%80"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::EncodeUrlPart(c.In), c.Out) << c.In;
}

TEST(NetCodings, EncodeUrlPartWEscapesLowCodesTwiceAndEveryByteFrom0x80) {
  struct TCase {
    ustring In;
    std::string Out;
  } cases[] = {
      {u"a b", "a%2520b"},
      {u"a&b", "a%26b"},
      {u"100%", "100%25"},
      {u"*-._Az9", "*-._Az9"},
      {u"\t\r\n$", "%2509%250D%250A%2524"},
      {u"'~{", "%27%7E%7B"},
      // UTF-8 bytes, every one escaped, the continuation bytes 0x80 to 0x9F too.
      {u"ä", "%C3%A4"},
      {u"\u0080\u009F", "%C2%80%C2%9F"},
      {u"€", "%E2%82%AC"},
      // A surrogate pair: each half by itself, three bytes each.
      {u"\U0001F600", "%ED%A0%BD%ED%B8%80"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::EncodeUrlPartW(c.In), c.Out) << WideToUtf8(c.In);
}

TEST(NetCodings, DecodeUrlPartUndoesBothEscapesAndLeavesLowerCaseOnes) {
  struct TCase {
    std::string In, Out;
  } cases[] = {
      {"a%2520b", "a b"},
      {"a%20b", "a b"},
      {"%2f", "%2f"},
      {"%2541", "%41"},
      {"%25", "%"},
      {"%%41", "%A"},
      {"%%332", "2"},  // "%33" gives "3", which makes "%32" of a lower code
      {"%2525", "%25"},
      {"%C3%A4", "\xC3\xA4"},
      {"100%", "100%"},
      {"%4", "%4"},
      {"%G1", "%G1"},
      {"", ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TvxNet::DecodeUrlPart(c.In), c.Out) << c.In;
    EXPECT_EQ(DecodeByPasses(c.In), c.Out) << c.In;
  }
}

TEST(NetCodings, DecodeUrlPartInOnePassIsTheReplacementPerCode) {
  // Every text of up to five symbols from an alphabet rich in escapes.
  const std::string alphabet = "%25A0F3a";
  std::vector<std::string> texts = {""};
  for (size_t length = 1; length <= 5; ++length) {
    const size_t before = texts.size();
    for (size_t i = 0; i < before; ++i)
      if (texts[i].size() == length - 1)
        for (const char c : alphabet) texts.push_back(texts[i] + c);
  }
  for (const std::string& text : texts) ASSERT_EQ(TvxNet::DecodeUrlPart(text), DecodeByPasses(text)) << text;
  // Longer texts made of escapes nested in escapes.
  for (const std::string& text : {"%%%25335"s, "%2%2541%2530"s, "%25%32%35%34%31"s, "%%%%%3333323130"s})
    EXPECT_EQ(TvxNet::DecodeUrlPart(text), DecodeByPasses(text)) << text;
}

TEST(NetCodings, DecodeUrlPartGivesBackWhatEncodeUrlPartWWrote) {
  for (const ustring& text : {ustring(u"a b&c=d/e?f#g"), ustring(u"100 % sure"), ustring(u"Grüße, €"),
                              ustring(u"\t\r\n\x01 $"), ustring(u"%41 and %2F stay")})
    EXPECT_EQ(TvxNet::DecodeUrlPart(TvxNet::EncodeUrlPartW(text)), WideToUtf8(text)) << WideToUtf8(text);
  // The one text that does not come back: "%" and the digits of a code
  // below 0x25 read like a doubly escaped byte.
  EXPECT_EQ(TvxNet::DecodeUrlPart(TvxNet::EncodeUrlPartW(u"%20")), " ");
}

TEST(NetCodings, PercentEncodeKeepsThePathMarks) {
  struct TCase {
    ustring In;
    std::string Out;
  } cases[] = {
      {u"ä /~", "%C3%A4%20/~"},
      {u"a:b/c.d-e_f", "a:b/c.d-e_f"},
      {u"?&=#%+", "%3F%26%3D%23%25%2B"},
      {u"\U0001F600", "%F0%9F%98%80"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::PercentEncode(c.In), c.Out) << c.Out;
}

TEST(NetCodings, PercentDecodeReadsByteAndUnicodeEscapes) {
  struct TCase {
    std::string In;
    ustring Out;
  } cases[] = {
      {"%u00E4%20x", u"ä x"},
      {"100%", u"100%"},
      {"%zz", u"%zz"},
      {"a%4", u"a\x04"},
      {"%4z", u"%4z"},
      {"%c3%a4", u"ä"},
      {"%U20AC", u"€"},
      {"%u20", u"%u20"},
      {"%uZZZZ1", u"%uZZZZ1"},
      // A surrogate pair escaped half by half is one character; a lone half
      // is none.
      {"%uD83D%uDE00!", u"\U0001F600!"},
      {"%uD83D!", u"\uFFFD\uFFFD\uFFFD!"},
      // Decoded text is not read again.
      {"%2541", u"%41"},
      {"%u0025%u0034%u0031", u"%41"},
      {"", u""},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::PercentDecode(c.In), c.Out) << c.In;
}

TEST(NetCodings, PythonReadsAndWritesTheSameEscapes) {
  const std::vector<ustring> texts = {u"plain", u"a b+c&d=e", u"Grüße aus Köln", u"path/with:colon~tilde",
                                      u"50% off?", u"\U0001F600 smile", u"\x01\x7F", u"'\"<>"};
  std::vector<std::string> utf8;
  for (const ustring& text : texts) utf8.push_back(WideToUtf8(text));

  // Python's quote with "/" and ":" safe keeps exactly what PercentEncode keeps.
  const std::vector<std::string> quoted =
      vxTest::RunPython("from urllib.parse import quote\n"
                        "for b in inputs: out(quote(b, safe='/:').encode())\n",
                        utf8);
  for (size_t i = 0; i < texts.size() && i < quoted.size(); ++i) {
    EXPECT_EQ(TvxNet::PercentEncode(texts[i]), quoted[i]) << utf8[i];
    EXPECT_EQ(TvxNet::PercentDecode(quoted[i]), texts[i]) << quoted[i];
  }

  // EncodeUrlPart is quote with nothing safe, "~" escaped as well.
  const std::vector<std::string> strict =
      vxTest::RunPython("from urllib.parse import quote\n"
                        "for b in inputs: out(quote(b, safe='').replace('~', '%7E').encode())\n",
                        utf8);
  for (size_t i = 0; i < texts.size() && i < strict.size(); ++i)
    EXPECT_EQ(TvxNet::EncodeUrlPart(utf8[i]), strict[i]) << utf8[i];

  // EncodeUrlPartW's low codes come back from unquoting twice, the rest from
  // unquoting once (texts without "%").
  std::vector<std::string> encoded;
  for (const ustring& text : texts)
    if (text.find(u'%') == ustring::npos) encoded.push_back(TvxNet::EncodeUrlPartW(text));
  const std::vector<std::string> unquoted =
      vxTest::RunPython("from urllib.parse import unquote_to_bytes\n"
                        "for b in inputs: out(unquote_to_bytes(unquote_to_bytes(b)))\n",
                        encoded);
  for (size_t i = 0; i < encoded.size() && i < unquoted.size(); ++i)
    EXPECT_EQ(unquoted[i], TvxNet::DecodeUrlPart(encoded[i])) << encoded[i];
}

}  // namespace
