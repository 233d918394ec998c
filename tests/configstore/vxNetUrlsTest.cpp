// Tests of the URL operations of configstore/vxNet.h: the parts of a URL
// (against Python's urllib.parse), the four forms of BuildUrl with the
// parameter strings of the cipher tools, and the look-up of parsed
// parameters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "core/vxToolsSystem.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "platform/base/vxCodePage.h"
#include "support/vxRaisedMessage.h"
#include "tests/configstore/vxPythonPeer.h"

namespace {

TEST(NetUrls, PartsOfAUrl) {
  struct TCase {
    ustring Url, Server;
    uint16_t Port;
    ustring Path;
    bool Https;
  } cases[] = {
      {u"https://host:8443/a/b?c=d", u"host", 8443, u"/a/b?c=d", true},
      {u"https://host", u"host", 0, u"/", true},
      {u"host:81/x", u"host", 81, u"/x", false},
      {u"HTTPS://Host/", u"Host", 0, u"/", true},
      {u"http://h:x/p#f", u"h", 0, u"/p#f", false},
      {u"http://h:/p", u"h", 0, u"/p", false},
      // A number that is no port is none, rather than its low 16 bits.
      {u"http://h:65616/", u"h", 0, u"/", false},
      {u"http://h:-1/", u"h", 0, u"/", false},
      {u"http://h:65535", u"h", 65535, u"/", false},
      // No brackets known: an IPv6 literal's first ":" ends the host.
      {u"http://[::1]:8080/", u"[", 0, u"/", false},
      {u"", u"", 0, u"/", false},
      {u"//h:1", u"h", 1, u"/", false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TvxNet::GetServerFromUrl(c.Url), c.Server) << WideToUtf8(c.Url);
    EXPECT_EQ(TvxNet::GetPortFromUrl(c.Url), c.Port) << WideToUtf8(c.Url);
    EXPECT_EQ(TvxNet::GetPathFromUrl(c.Url), c.Path) << WideToUtf8(c.Url);
    EXPECT_EQ(TvxNet::IsHTTPSUrl(c.Url), c.Https) << WideToUtf8(c.Url);
  }
}

TEST(NetUrls, PartsAgreeWithPythonForWellFormedUrls) {
  const std::vector<std::string> urls = {"https://host:8443/a/b?c=d",      "http://example.org/",
                                         "http://example.org:8080/x/y/z",  "https://a.b.c/p?q=1&r=2#frag",
                                         "http://10.0.0.1:81/service?x=%20", "https://h"};
  // The host as written (urllib's hostname is lower-cased), the port (0 for
  // none) and the path with its query and fragment ("/" for none).
  const std::vector<std::string> python = vxTest::RunPython(
      "from urllib.parse import urlsplit\n"
      "for b in inputs:\n"
      "    u = urlsplit(b.decode())\n"
      "    host = u.netloc.rsplit('@', 1)[-1].split(':')[0]\n"
      "    path = (u.path or '/') + ('?' + u.query if u.query else '') + ('#' + u.fragment if u.fragment else '')\n"
      "    out(('%s|%d|%s' % (host, u.port or 0, path)).encode())\n",
      urls);
  for (size_t i = 0; i < urls.size() && i < python.size(); ++i) {
    const ustring url = Utf8ToWide(urls[i]);
    const std::string ours = WideToUtf8(TvxNet::GetServerFromUrl(url)) + "|" +
                             std::to_string(TvxNet::GetPortFromUrl(url)) + "|" +
                             WideToUtf8(TvxNet::GetPathFromUrl(url));
    EXPECT_EQ(ours, python[i]) << urls[i];
  }
}

TEST(NetUrls, RootUrlSuffix) {
  EXPECT_EQ(TvxNet::CheckRootUrlSuffix(u""), u"");
  EXPECT_EQ(TvxNet::CheckRootUrlSuffix(u"http://h"), u"http://h/");
  EXPECT_EQ(TvxNet::CheckRootUrlSuffix(u"http://h/"), u"http://h/");
}

TEST(NetUrls, BuildUrlFromARoot) {
  EXPECT_EQ(TvxNet::BuildUrl(u"R", u"x", {}, vxENC_None), "R/x");
  EXPECT_EQ(TvxNet::BuildUrl(u"R", u"x", {u"a=b"}, vxENC_None), "R/x?a=b");
  EXPECT_EQ(TvxNet::BuildUrl(u"R", u"x", {}, vxENC_Base64), "R/x?encoding=base64");
  EXPECT_EQ(TvxNet::BuildUrl(u"R/", u"/x", {}, vxENC_None), "R//x");
  EXPECT_EQ(TvxNet::BuildUrl(u"", u"x", {u"a=b c", u"flag"}, vxENC_None), "x?a=b%20c&flag");
  EXPECT_EQ(TvxNet::BuildUrl(u"R/", u"/x"), "R/x");
  EXPECT_EQ(TvxNet::BuildUrl(u"R", u"//x"), "R//x");
  EXPECT_EQ(TvxNet::BuildUrl(u"", u"/x"), "x");
}

TEST(NetUrls, BuildUrlFromSchemeHostAndPort) {
  EXPECT_EQ(TvxNet::BuildUrl(true, u"h", 0, u"", {u"a=b"}, vxENC_Base64), "https://h");
  EXPECT_EQ(TvxNet::BuildUrl(false, u"h", 8080, u"a", {}, vxENC_None), "http://h:8080/a");
  EXPECT_EQ(TvxNet::BuildUrl(false, u"h", 8080, u"/a", {u"k=v"}, vxENC_None), "http://h:8080/a?k=v");
  EXPECT_EQ(TvxNet::BuildUrl(false, u"h", -5, u"a", {}, vxENC_Base64), "http://h/a?encoding=base64");
  EXPECT_EQ(TvxNet::BuildUrl(false, u"h", 8080, std::string("a")), "http://h:8080/a");
  EXPECT_EQ(TvxNet::BuildUrl(true, u"h", 0, std::string("")), "https://h/");
  EXPECT_EQ(TvxNet::BuildUrl(true, u"h", 0, std::string("/a")), "https://h//a");
  // Without a host the computer's fully qualified name stands in.
  EXPECT_EQ(TvxNet::BuildUrl(false, u"", 81, std::string("x")),
            "http://" + WideToAnsi(TvxTools::GetComputerNameEx(3)) + ":81/x");
}

TEST(NetUrls, BuildUrlRefusesWhatTheEncodingCannotDo) {
  EXPECT_EQ(vxTest::RaisedMessage([] { TvxNet::BuildUrl(u"R", u"x", {}, static_cast<TvxEncoding>(7)); }),
            "invalid encoding");
  EXPECT_EQ(
      vxTest::RaisedMessage([] { TvxNet::BuildUrl(true, u"h", 1, u"", {}, static_cast<TvxEncoding>(200)); }),
      "invalid encoding");
  EXPECT_EQ(vxTest::RaisedMessage([] { TvxNet::BuildUrl(u"R", u"x", {u"a=b"}, vxENC_DCW); }),
            "unsupported encoding");
  EXPECT_EQ(TvxNet::BuildUrl(u"R", u"x", {}, vxENC_DCW), "R/x?encoding=dcw");
}

TEST(NetUrls, PythonReadsTheParametersOfABuiltUrl) {
  const std::vector<ustring> parameters = {u"name=Grüße & more", u"path=/a/b?c", u"empty=", u"plus=1+1"};
  const std::string url = TvxNet::BuildUrl(false, u"example.org", 8080, u"service", parameters, vxENC_None);
  const std::vector<std::string> python = vxTest::RunPython(
      "from urllib.parse import urlsplit, parse_qsl\n"
      "for b in inputs:\n"
      "    u = urlsplit(b.decode('latin-1'))\n"
      "    out(('%s|%s|%d|' % (u.hostname, u.path, u.port)).encode() +\n"
      "        b'&'.join(k.encode() + b'=' + v.encode() for k, v in parse_qsl(u.query, keep_blank_values=True)))\n",
      {url});
  ASSERT_EQ(python.size(), 1u);
  EXPECT_EQ(python[0], "example.org|/service|8080|name=Grüße & more&path=/a/b?c&empty=&plus=1+1");
}

TEST(NetUrls, ParsedParametersAreLookedUpByUpperCaseName) {
  TvxEncoding encoding = vxENC_Mega;
  const TvxUrlParams none = TvxNet::ParseUrlParams("", encoding);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(encoding, vxENC_None);

  const TvxUrlParams params = TvxNet::ParseUrlParams("name=J%C3%BCrgen&x=1+2&x=3&raw=%FC", encoding);
  EXPECT_EQ(encoding, vxENC_None);
  ASSERT_EQ(params.size(), 4u);
  EXPECT_EQ(params[0].Param, u"NAME");
  EXPECT_EQ(TvxNet::GetUrlParamValue(u"name", params, u"-", false), u"Jürgen");
  EXPECT_EQ(TvxNet::GetUrlParamValue(u"Name", params, u"-", true), AnsiToWide("J\xC3\xBC" "rgen"));
  EXPECT_EQ(TvxNet::GetRawUrlParamValue(u"NAME", params, "-"), "J\xC3\xBC" "rgen");
  EXPECT_EQ(TvxNet::GetUrlParamValue(u"x", params, u"-", false), u"1 2");
  EXPECT_EQ(TvxNet::GetUrlParamValue(u" x", params, u"-", false), u"-");  // not trimmed
  EXPECT_EQ(TvxNet::GetUrlParamValue(u"missing", params, u"default", false), u"default");
  EXPECT_EQ(TvxNet::GetRawUrlParamValue(u"raw", params, "-"), "\xFC");
  EXPECT_TRUE(TvxNet::UrlParamExists(u"RAW", params));
  EXPECT_FALSE(TvxNet::UrlParamExists(u"ra", params));
}

TEST(NetUrls, EncodedParametersComeBackWithTheirEncoding) {
  for (const TvxEncoding sent : {vxENC_Base64, vxENC_Strong, vxENC_Mega, vxENC_Service, vxENC_Internal}) {
    const std::string url = TvxNet::BuildUrl(u"http://h/", u"x", {u"user=Jürgen", u"n=42"}, sent);
    const std::string query = url.substr(url.find('?') + 1);
    TvxEncoding encoding = vxENC_None;
    const TvxUrlParams params = TvxNet::ParseUrlParams(query, encoding);
    EXPECT_EQ(encoding, sent) << query;
    EXPECT_EQ(TvxNet::GetUrlParamValue(u"user", params, u"-", false), u"Jürgen") << query;
    EXPECT_EQ(TvxNet::GetUrlParamValue(u"N", params, u"-", false), u"42") << query;
  }
}

TEST(NetUrls, AnExpiredInternalUrlRaises) {
  // Built two days ago by the cipher tools' own clock.
  const std::string query = TvxCipher::EncodeUrlParams({u"a=b"}, vxCIPHENC_Internal, [] { return 45000.0; });
  TvxEncoding encoding = vxENC_None;
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::ParseUrlParams(query, encoding); }), "url expired");
}

}  // namespace
