// TvxCipher: golden vectors that pin the keys, the stored-password form,
// private strings, URL parameter strings in every encoding (expiry through
// a fixed clock), percent escapes, the DCW decoder and the key builders.
#include "foundation/vxCipherToolsEvo3.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/internal/vxDES.h"
#include "platform/base/vxExceptions.h"

namespace {

const std::string kSecuId = "qmwx4ke8vt5lyro6pgaz3ui0cnwe7mvq2xsl9ytke4rzo1pw6gai8uln3vqc5xmdt0e";

// A fixed local time: 2025-12-09 12:00.
constexpr TDateTime kBuilt = 46000.5;
TvxCipherClock At(TDateTime when) {
  return [when] { return when; };
}

std::string ExceptionText(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

}  // namespace

// These values pin the keys: a change that alters them makes every stored
// password and URL of an installation unreadable.
TEST(CipherToolsTest, GoldenVectors) {
  EXPECT_EQ(TvxCipher::EncodeLogon("secret"), "eOzwW83AvFez1c8L9T5m4U");
  EXPECT_EQ(TvxCipher::DecodeLogon("eOzwW83AvFez1c8L9T5m4U"), "secret");
  EXPECT_EQ(TvxCipher::EncodeLogon("$$$Pass word 1"), "UggXuQBUTYEhQNIc6Va2nmVsninL6oXH");
  EXPECT_EQ(TvxCipher::EncodePrivateString("private text", "owner"), "MuyxdQZj+Ni01bdPALXIz+");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"user=anna", u"id=42"}, vxCIPHENC_Mega, At(kBuilt)),
            "encoding=mega&data=ZEFNSjVvVVNFb2piU0dHejI4dk9lK2ZFNlNUREVhY3pWUEt0UFVZUjk5SEdFMWNKS2g1NzUzOHZVcFFsbjU2"
            "QXFYV2FTbmYwMXJ3dUc3ZkF1QlFNa1h5eTRocTN3ZFUrQjZudU16Y3Jub2s=");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"user=anna", u"id=42"}, vxCIPHENC_Internal, At(kBuilt)),
            "encoding=internal&data=YUd1YWFrSXJqbmlQa0piOWZYTTIyaWpubTdQVWtpM1NuRnowSms5YkFhN3VzOVNWanlUVW9kaERPSXJx"
            "TDdvY2RzelBrRmhVWGNEVnlhdHBXU2lEa0dKUkpNUWZwbE0xbHZQUmRicGpRZG8=");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"user=anna", u"id=42"}, vxCIPHENC_Service, At(kBuilt)),
            "encoding=service&data=NVFzVjA3aDMtWmNvdk5FdTUtOExzY1pod2l5WGhBS2JPODM2MFBodnl4eml1aWx4Zk1LUWpzdXBEODYy"
            "WFNNWmZXNmtQekdIMGs2dWxSakFsYU1OcTIrWUtUbFhnMnUyRnA3ZWFwLVAzdUU=");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"user=anna"}, vxCIPHENC_Strong), "encoding=strong&user=MUdLK0ktR2RYNVE%3D");
  EXPECT_EQ(TvxCipher::DCWEncDecoder("7ndxX-q1sT"), "8r\xC3\x96pII2v2L");
}

TEST(CipherToolsTest, LogonRoundTripAndLengths) {
  EXPECT_EQ(TvxCipher::EncodeLogon(""), "");
  EXPECT_EQ(TvxCipher::DecodeLogon(""), "");
  const std::string passwords[] = {"a",    "abcd",  "abcde", std::string(12, 'x'), std::string(13, 'y'),
                                   "$$$",  "$$$$$$", "$$$secret", "p#=& /%\x01\xFF\xE4", std::string(20, 'z'),
                                   std::string(200, 'q')};
  for (const auto& p : passwords) {
    const std::string stored = TvxCipher::EncodeLogon(p);
    EXPECT_EQ(TvxCipher::DecodeLogon(stored), p) << p;
    const size_t n = p.size();
    const size_t bytes = 8 * ((n + 3) / 8 + 1);
    EXPECT_EQ(stored.size(), bytes / 3 * 4 + (bytes % 3 == 1 ? 2 : bytes % 3 == 2 ? 3 : 0)) << p;
  }
  EXPECT_EQ(TvxCipher::EncodeLogon("abcd").size(), 11u);
  EXPECT_EQ(TvxCipher::EncodeLogon("abcde").size(), 22u);
  EXPECT_EQ(TvxCipher::EncodeLogon(std::string(12, 'a')).size(), 22u);
  EXPECT_EQ(TvxCipher::EncodeLogon(std::string(13, 'a')).size(), 32u);
  EXPECT_EQ(TvxCipher::EncodeLogon(std::string(20, 'a')).size(), 32u);
}

TEST(CipherToolsTest, DecodeLogonOfTextsThatAreNoStoredPassword) {
  // Characters outside the alphabet and texts below one block give "".
  for (const char* text : {"eOzwW83AvF z1c8L9T5m4U", "eOzwW83AvFez1c8L9T5m4=", "eOzwW83AvFez1c8L9T5m4/", "ABCDEFGHIJ", "A"})
    EXPECT_EQ(TvxCipher::DecodeLogon(text), "") << text;
  // A password kept in plain, of 22 letters and digits, passes unchanged.
  EXPECT_EQ(TvxCipher::DecodeLogon("Abcdefghij0123456789XY"), "Abcdefghij0123456789XY");
  EXPECT_EQ(TvxCipher::DecodeLogon("plainPassword2024"), "plainPassword2024");
}

TEST(CipherToolsTest, EncodeStringAndPrivateStrings) {
  EXPECT_EQ(TvxCipher::EncodeString("", "key"), "");
  EXPECT_EQ(TvxCipher::EncodeString("text", ""), "");
  EXPECT_EQ(TvxCipher::DecodeString("", "key"), "");
  EXPECT_EQ(TvxCipher::DecodeString(TvxCipher::EncodeString("some text", "key"), "key"), "some text");
  EXPECT_EQ(ExceptionText([] { TvxCipher::DecodeString("ABC DEFGHIJKL", "key"); }),
            "DES: Error converting from Base64 - invalid character");
  EXPECT_EQ(ExceptionText([] { TvxCipher::DecodeString("ABCDEFGHIJ", "key"); }), "DES: Input not valid - too short");

  EXPECT_EQ(TvxCipher::EncodePrivateString("text", ""), "");
  EXPECT_EQ(TvxCipher::DecodePrivateString("anything", ""), "");
  const std::string priv = TvxCipher::EncodePrivateString("text", "owner");
  EXPECT_EQ(TvxCipher::DecodePrivateString(priv, "owner"), "text");
  EXPECT_NE(priv, TvxCipher::EncodeString("text", "owner"));
  EXPECT_THROW(TvxCipher::DecodePrivateString("bad text", "owner"), EConvertError);
}

TEST(CipherToolsTest, KeyBuilders) {
  using Builder = std::string (*)(const std::string&);
  for (const Builder b : {TvxCipher::GenPassKeyLogon, TvxCipher::GenPassKeyMega, TvxCipher::GenPassKeyService,
                          TvxCipher::GenPassKeyInternal, TvxCipher::GenerateCommonEncryptionKey,
                          TvxCipher::GenerateCommonSecurityKey}) {
    EXPECT_EQ(b(""), "");
    EXPECT_EQ(b(kSecuId + "x"), "");
    EXPECT_EQ(b("QMWX4KE8VT5LYRO6PGAZ3UI0CNWE7MVQ2XSL9YTKE4RZO1PW6GAI8ULN3VQC5XMDT0E"), "");
    EXPECT_FALSE(b(kSecuId).empty());
  }
  auto digitsOnly = [](const std::string& s) { return s.find_first_not_of("0123456789") == std::string::npos; };
  EXPECT_EQ(TvxCipher::GenPassKeyLogon(kSecuId).size(), 16u);
  EXPECT_TRUE(digitsOnly(TvxCipher::GenPassKeyLogon(kSecuId)));
  for (const Builder b : {TvxCipher::GenPassKeyMega, TvxCipher::GenPassKeyService, TvxCipher::GenPassKeyInternal})
    EXPECT_TRUE(digitsOnly(b(kSecuId)));
  EXPECT_NE(TvxCipher::GenPassKeyMega(kSecuId), TvxCipher::GenPassKeyService(kSecuId));
  EXPECT_NE(TvxCipher::GenPassKeyService(kSecuId), TvxCipher::GenPassKeyInternal(kSecuId));
  EXPECT_EQ(TvxCipher::GenerateCommonEncryptionKey(kSecuId).size(), 16u);
  const std::string security = TvxCipher::GenerateCommonSecurityKey(kSecuId);
  ASSERT_EQ(security.size(), 67u);
  for (size_t i = 0; i < 67; ++i) EXPECT_EQ(security[i] - kSecuId[i], i % 2 == 0 ? -1 : 1) << i;
}

TEST(CipherToolsTest, UrlEscapes) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string escaped = TvxCipher::UrlEscape(all);
  EXPECT_EQ(escaped.size(), 66u + 190u * 3u);
  EXPECT_EQ(TvxCipher::UrlUnescape(escaped), all);
  EXPECT_EQ(TvxCipher::UrlEscape("a b%c*-._~"), "a%20b%25c*-._%7E");

  // One pass: "%2520" is the text "%20", never a blank.
  EXPECT_EQ(TvxCipher::UrlUnescape("%2520"), "%20");
  EXPECT_EQ(TvxCipher::UrlUnescape("100%25"), "100%");
  EXPECT_EQ(TvxCipher::UrlUnescape("%2f"), "%2f");  // lower-case digits stay
  EXPECT_EQ(TvxCipher::UrlUnescape("%2F"), "/");
  EXPECT_EQ(TvxCipher::UrlUnescape("%"), "%");
  EXPECT_EQ(TvxCipher::UrlUnescape("%4"), "%4");
  EXPECT_EQ(TvxCipher::UrlUnescape("%%41"), "%A");
  EXPECT_EQ(TvxCipher::UrlUnescape("%G1"), "%G1");
}

TEST(CipherToolsTest, EncodeUrlParams) {
  EXPECT_EQ(TvxCipher::EncodeUrlParams({}, vxCIPHENC_Base64), "encoding=base64");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({}, vxCIPHENC_None), "");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({}, vxCIPHENC_DCW), "encoding=dcw");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"a=b c"}, vxCIPHENC_None), "a=b%20c");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"x"}, vxCIPHENC_None), "x");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"x="}, vxCIPHENC_None), "x=");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"a=1", u"b=x=y", u"c"}, vxCIPHENC_None), "a=1&b=x%3Dy&c");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"n\u00E4me=\u00FC"}, vxCIPHENC_None), "n%C3%A4me=%C3%BC");
  EXPECT_EQ(TvxCipher::EncodeUrlParams({u"a=hi"}, vxCIPHENC_Base64), "encoding=base64&a=aGk%3D");
  EXPECT_EQ(ExceptionText([] { TvxCipher::EncodeUrlParams({u"a=1"}, vxCIPHENC_DCW); }), "unsupported encoding");
}

TEST(CipherToolsTest, DecodeUrlParamsSplitting) {
  TvxCipherEncoding enc = vxCIPHENC_Strong;
  EXPECT_TRUE(TvxCipher::DecodeUrlParams("", enc).empty());
  EXPECT_EQ(enc, vxCIPHENC_Strong);  // unchanged for an empty string

  auto list = TvxCipher::DecodeUrlParams("a=1+2", enc);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Param, u"A");
  EXPECT_EQ(list[0].Value, u"1 2");
  EXPECT_EQ(list[0].RawValue, "1 2");
  EXPECT_EQ(list[0].Encoding, vxCIPHENC_None);
  EXPECT_EQ(enc, vxCIPHENC_None);

  list = TvxCipher::DecodeUrlParams("a=1&", enc);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].Param, u"");

  list = TvxCipher::DecodeUrlParams("%20n%C3%A4me%20=%C3%BC%2520&flag", enc);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Param, u"N\u00C4ME");
  EXPECT_EQ(list[0].Value, u"\u00FC%20");
  EXPECT_EQ(list[0].RawValue, "\xC3\xBC%20");
  EXPECT_EQ(list[1].Param, u"FLAG");
  EXPECT_EQ(list[1].RawValue, "");
}

TEST(CipherToolsTest, UrlRoundTripsInEveryEncoding) {
  const std::vector<ustring> params = {u"user=anna", u"pass=p@ss w\u00F6rd=1%", u"empty=", u"bare"};
  for (const TvxCipherEncoding e : {vxCIPHENC_None, vxCIPHENC_Base64, vxCIPHENC_Strong}) {
    TvxCipherEncoding enc = vxCIPHENC_None;
    const auto list = TvxCipher::DecodeUrlParams(TvxCipher::EncodeUrlParams(params, e), enc);
    EXPECT_EQ(enc, e);
    const size_t first = e == vxCIPHENC_None ? 0 : 1;
    ASSERT_EQ(list.size(), first + 4) << e;
    if (first) {
      EXPECT_EQ(list[0].Param, u"ENCODING");
      EXPECT_EQ(list[0].Encoding, vxCIPHENC_None);
    }
    EXPECT_EQ(list[first].Param, u"USER");
    EXPECT_EQ(list[first].Value, u"anna");
    EXPECT_EQ(list[first].Encoding, e);
    EXPECT_EQ(list[first + 1].Value, u"p@ss w\u00F6rd=1%");
    EXPECT_EQ(list[first + 2].Value, u"");
    EXPECT_EQ(list[first + 3].Param, u"BARE");
  }
}

TEST(CipherToolsTest, DataEncodingsAndExpiry) {
  const std::vector<ustring> params = {u"user=anna", u"id=42"};
  for (const TvxCipherEncoding e : {vxCIPHENC_Mega, vxCIPHENC_Service, vxCIPHENC_Internal}) {
    const std::string url = TvxCipher::EncodeUrlParams(params, e, At(kBuilt));
    TvxCipherEncoding enc = vxCIPHENC_None;
    const auto list = TvxCipher::DecodeUrlParams(url, enc, At(kBuilt + 0.999));
    EXPECT_EQ(enc, e);
    ASSERT_EQ(list.size(), 4u) << e;
    EXPECT_EQ(list[0].Param, u"ENCODING");
    EXPECT_EQ(list[0].Value, u"base64");
    EXPECT_EQ(list[1].Param, u"USER");
    EXPECT_EQ(list[1].Value, u"anna");
    EXPECT_EQ(list[1].Encoding, vxCIPHENC_Base64);
    EXPECT_EQ(list[2].Value, u"42");
    EXPECT_EQ(list[3].Param, u"BUILDTIME");
  }
  // Internal strings expire a day after they were built; the others never.
  const std::string internal = TvxCipher::EncodeUrlParams(params, vxCIPHENC_Internal, At(kBuilt));
  TvxCipherEncoding enc = vxCIPHENC_None;
  EXPECT_EQ(ExceptionText([&] { TvxCipher::DecodeUrlParams(internal, enc, At(kBuilt + 1.0)); }), "url expired");
  const std::string mega = TvxCipher::EncodeUrlParams(params, vxCIPHENC_Mega, At(kBuilt));
  EXPECT_EQ(TvxCipher::DecodeUrlParams(mega, enc, At(kBuilt + 30)).size(), 4u);

  // Fewer than two items: the list stays as split.
  const auto alone = TvxCipher::DecodeUrlParams("encoding=mega", enc);
  EXPECT_EQ(enc, vxCIPHENC_Mega);
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].Param, u"ENCODING");
  // A data item that does not decipher passes on the DES error.
  EXPECT_THROW(TvxCipher::DecodeUrlParams("encoding=service&data=QUJD", enc), vxInternal::EInputError);
  // An Internal string without a build time is refused (the date runtime
  // reads the missing stamp as day 0).
  EXPECT_THROW(TvxCipher::DecodeUrlParams("encoding=internal&x=1", enc, At(kBuilt)), Exception);
}

TEST(CipherToolsTest, DcwDecoder) {
  EXPECT_EQ(TvxCipher::DCWEncDecoder(""), "");
  EXPECT_EQ(TvxCipher::DCWEncDecoder("  7ndxX-q1sT \r\n"), TvxCipher::DCWEncDecoder("7ndxX-q1sT"));
  // Characters outside the input alphabet add nothing and keep the counter.
  EXPECT_EQ(TvxCipher::DCWEncDecoder("7nd\"xX-q?1sT"), TvxCipher::DCWEncDecoder("7ndxX-q1sT"));
  const auto list = [] {
    TvxCipherEncoding enc;
    return TvxCipher::DecodeUrlParams("encoding=dcw&v=7ndxX-q1sT", enc);
  }();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].Value, u"8r\u00D6pII2v2L");
  EXPECT_EQ(list[1].Encoding, vxCIPHENC_DCW);
}
