// Tests of configstore/vxNetHttpMessages.h: headers and query items of the
// HTTP messages, the method table, and the request's raw header text
// (read back by Python's HTTP header parser).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "configstore/vxNetHttpMessages.h"
#include "core/vxMD5.h"
#include "foundation/vxBase64.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxCLocaleGuard.h"
#include "support/vxLocaleGuard.h"
#include "support/vxTestTempDir.h"
#include "tests/configstore/vxPythonPeer.h"

namespace {

// The lines of a raw header as name -> value; every line must end in CR LF.
std::map<std::string, std::string> HeaderLines(const std::string& raw) {
  std::map<std::string, std::string> lines;
  size_t start = 0;
  while (start < raw.size()) {
    const size_t end = raw.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "a line without CR LF";
    if (end == std::string::npos) break;
    const std::string line = raw.substr(start, end - start);
    const size_t colon = line.find(": ");
    EXPECT_NE(colon, std::string::npos) << line;
    if (colon != std::string::npos) lines[line.substr(0, colon)] = line.substr(colon + 2);
    start = end + 2;
  }
  return lines;
}

std::string Names(const TStrings& list) {
  std::multimap<std::string, int> sorted;  // enumeration order is the hash order
  for (int32_t i = 0; i < list.Count(); ++i) sorted.emplace(WideToUtf8(list[i]), 0);
  std::string text;
  for (const auto& [name, unused] : sorted) text += name + ";";
  return text;
}

TEST(HttpRequest, HeadersAreOneWhateverTheLetterCase) {
  TvxHTTPRequest request;
  request.SetHeader(u"x-custom", "1");
  request.SetHeader(u"X-Custom", "2");
  request.SetHeader(u"Straße", "3");
  request.SetHeader(u"STRASSE", "4");  // full upper-casing: one name
  EXPECT_EQ(request.GetHeader(u"X-CUSTOM"), "2");
  EXPECT_EQ(request.GetHeader(u"x-custom"), "2");
  EXPECT_EQ(request.GetHeader(u"strasse"), "4");
  EXPECT_EQ(request.GetHeader(u"missing"), "");
  std::unique_ptr<TStrings> list;
  request.GetHeaderList(list);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Names(*list), "STRASSE;X-Custom;");
  // A given list is emptied first.
  TStringList given;
  given.Add(u"old");
  request.GetHeaderList(given);
  EXPECT_EQ(Names(given), "STRASSE;X-Custom;");
}

TEST(HttpRequest, HeaderKeysDoNotDependOnTheLocale) {
  TLocaleGuard turkish("tr_TR");
  TvxHTTPRequest request;
  request.SetHeader(u"content-disposition", "a");
  EXPECT_EQ(request.GetHeader(u"CONTENT-DISPOSITION"), "a");
}

TEST(HttpRequest, QueryItemsAreKeyedByTheirLowerCaseName) {
  TvxHTTPRequest request;
  request.SetURIQueryItem(u"UserName", u"Jürgen");
  request.SetURIQueryItem(u"USERNAME", u"Anna");
  request.SetURIQueryItem(u"Page", u"2");
  EXPECT_EQ(request.GetURIQueryItem(u"username"), u"Anna");
  EXPECT_EQ(request.GetURIQueryItem(u"uSeRnAmE"), u"Anna");
  EXPECT_EQ(request.GetURIQueryItem(u"unknown"), u"");
  std::unique_ptr<TStrings> list;
  request.GetQueryList(list);
  EXPECT_EQ(Names(*list), "page;username;");
}

TEST(HttpRequest, MethodsAndTheirTexts) {
  struct TCase {
    TvxHTTPCommands Command;
    const char* Text;
  } written[] = {
      {vxHC_Head, "HEAD"},       {vxHC_Get, "GET"},           {vxHC_Post, "POST"},         {vxHC_Delete, "DELETE"},
      {vxHC_Trace, "TRACE"},     {vxHC_Option, "OPTIONS"},    {vxHC_Options, "OPTIONS"},   {vxHC_Patch, "PATCH"},
      {vxHC_Copy, "COPY"},       {vxHC_Lock, "LOCK"},         {vxHC_Unlock, "UNLOCK"},     {vxHC_Mkcol, "MKCOL"},
      {vxHC_Move, "MOVE"},       {vxHC_Propfind, "PROPFIND"}, {vxHC_Proppatch, "PROPPATCH"}, {vxHC_Link, "LINK"},
      {vxHC_Unlink, "UNLINK"},   {vxHC_Purge, "PURGE"},       {vxHC_View, "VIEW"},         {vxHC_Put, "PUT"},
      {vxHC_Unknown, "PUT"},     {vxHC_None, "PUT"},
  };
  TvxHTTPRequest request;
  for (const TCase& c : written) {
    request.SetCommand(c.Command);
    EXPECT_EQ(request.Command(), c.Command);
    EXPECT_EQ(request.CommandStr(), c.Text);
  }
  struct TRead {
    const char* Text;
    const char* Stored;
    TvxHTTPCommands Command;
  } read[] = {
      {"propfind", "PROPFIND", vxHC_Propfind}, {"Options", "OPTIONS", vxHC_Options}, {"get", "GET", vxHC_Get},
      {"brew", "BREW", vxHC_Unknown},          {"", "", vxHC_Unknown},               {"pUt", "PUT", vxHC_Put},
      {"g\xE9t", "G\xE9T", vxHC_Unknown},      {"PROPPATCH", "PROPPATCH", vxHC_Proppatch},
  };
  for (const TRead& c : read) {
    request.SetCommandStr(c.Text);
    EXPECT_EQ(request.CommandStr(), c.Stored);
    EXPECT_EQ(request.Command(), c.Command) << c.Text;
  }
}

TEST(HttpRequest, NewAndClearedRequests) {
  TvxHTTPRequest request;
  EXPECT_EQ(request.Command(), vxHC_Unknown);
  EXPECT_EQ(request.CommandStr(), "");
  EXPECT_EQ(request.URIQueryEncoding(), vxENC_None);
  EXPECT_EQ(request.Authentication().AuthType, vxHAT_None);
  EXPECT_EQ(request.ContentLength(), 0u);
  EXPECT_EQ(request.ContentStream().Size(), 0);

  request.SetCommand(vxHC_Post);
  request.SetURI("/a?b=c");
  request.SetURIPath("/a");
  request.URIPathSegments().Add(u"a");
  request.SetURIQueryItem(u"b", u"c");
  request.SetURIQueryEncoding(vxENC_Base64);
  request.SetHost(u"h");
  request.SetIP(u"127.0.0.1");
  request.Authentication().AuthType = vxHAT_Basic;
  request.SetHeader(u"X-A", "1");
  request.SetContentType(u"text/plain");
  request.SetContentEncoding(u"gzip");
  request.SetContentText("body");
  request.ContentStream().WriteBuffer(std::string("stream bytes"));
  EXPECT_EQ(request.ContentLength(), 4u);

  request.Clear();
  EXPECT_EQ(request.GetHeader(u"X-A"), "");
  EXPECT_EQ(request.ContentType(), u"");
  EXPECT_EQ(request.ContentEncoding(), u"");
  EXPECT_EQ(request.ContentText(), "");
  EXPECT_EQ(request.ContentStream().Size(), 0);
  EXPECT_EQ(request.Command(), vxHC_Post);
  EXPECT_EQ(request.URI(), "/a?b=c");
  EXPECT_EQ(request.URIPath(), "/a");
  EXPECT_EQ(request.URIPathSegments().Count(), 1);
  EXPECT_EQ(request.GetURIQueryItem(u"B"), u"c");
  EXPECT_EQ(request.URIQueryEncoding(), vxENC_Base64);
  EXPECT_EQ(request.Host(), u"h");
  EXPECT_EQ(request.IP(), u"127.0.0.1");
  EXPECT_EQ(request.Authentication().AuthType, vxHAT_Basic);
}

TEST(HttpRequest, RawHeaderOfAnEmptyPost) {
  TvxHTTPRequest request;
  request.SetCommand(vxHC_Post);
  request.SetHeader(u"user-agent", "curl");
  request.SetHeader(u"X-Kept", "yes");
  const std::map<std::string, std::string> lines = HeaderLines(request.RawHeader());
  EXPECT_EQ(lines.at("Content-Type"), "multipart/form-data");
  EXPECT_EQ(lines.at("Content-Length"), "0");
  EXPECT_EQ(lines.at("Content-MD5"), TvxBase64::StrToBase64("D41D8CD98F00B204E9800998ECF8427E", false));
  EXPECT_EQ(lines.at("Content-MD5").size(), 44u);
  EXPECT_EQ(lines.at("User-Agent"), "VARLO 5.2");
  EXPECT_EQ(lines.count("user-agent"), 0u);
  EXPECT_EQ(lines.at("Accept-Encoding"), "gzip");
  EXPECT_EQ(lines.at("X-Kept"), "yes");
  EXPECT_EQ(lines.count("Authorization"), 0u);
  EXPECT_EQ(lines.size(), 7u);
  // The read brought the headers up to date.
  EXPECT_EQ(request.GetHeader(u"USER-AGENT"), "VARLO 5.2");
  std::unique_ptr<TStrings> names;
  request.GetHeaderList(names);
  EXPECT_EQ(Names(*names), "Accept-Encoding;Content-Length;Content-MD5;Content-Type;Date;User-Agent;X-Kept;");
}

TEST(HttpRequest, RawHeaderOfAPutWithBodyAndBasicLogin) {
  TvxHTTPRequest request;
  request.SetCommand(vxHC_Put);
  request.SetContentText("hello world");
  request.Authentication().AuthType = vxHAT_Basic;
  request.Authentication().UserName = u"user";
  const std::string raw = request.RawHeader();
  std::map<std::string, std::string> lines = HeaderLines(raw);
  EXPECT_EQ(lines.at("Content-Type"), "application/octet-stream");
  EXPECT_EQ(lines.at("Content-Length"), "11");
  EXPECT_EQ(lines.at("Content-MD5"), TvxBase64::StrToBase64(TvxMD5::GetMD5FromString("hello world"), false));
  EXPECT_EQ(lines.at("Authorization"), "Basic " + TvxBase64::StrToBase64("user:", false));
  // A second read gives the same lines (but for the clock).
  std::map<std::string, std::string> again = HeaderLines(request.RawHeader());
  lines.erase("Date");
  again.erase("Date");
  EXPECT_EQ(lines, again);

  // A Bearer token writes nothing; the caller's Authorization stays.
  request.Authentication().AuthType = vxHAT_Bearer;
  request.SetHeader(u"authorization", "Bearer abc");
  request.SetContentType(u"text/xml");
  lines = HeaderLines(request.RawHeader());
  EXPECT_EQ(lines.at("authorization"), "Bearer abc");
  EXPECT_EQ(lines.at("Content-Type"), "text/xml");
}

TEST(HttpRequest, PythonReadsTheRawHeader) {
  TvxHTTPRequest request;
  request.SetCommand(vxHC_Post);
  request.SetContentText(std::string("a\0b", 3));
  request.SetContentType(u"application/x-www-form-urlencoded");
  request.Authentication().AuthType = vxHAT_Basic;
  request.Authentication().UserName = u"Jürgen";
  request.Authentication().Password = u"p:w";
  request.SetHeader(u"X-Injected", "a\r\nEvil: 1");
  const std::vector<std::string> read = vxTest::RunPython(
      "import email.parser, email.utils, base64, hashlib\n"
      "for b in inputs:\n"
      "    h = email.parser.BytesHeaderParser().parsebytes(b + b'\\r\\n')\n"
      "    d = email.utils.parsedate_to_datetime(h['Date'])\n"
      "    user = base64.b64decode(h['Authorization'].split()[1]).decode('cp1252')\n"
      "    md5 = base64.b64decode(h['Content-MD5']).decode()\n"
      "    out(('%s|%s|%s|%s|%s|%s|%s' % (d.utcoffset(), h['Content-Length'], h['Content-Type'], user, md5,\n"
      "         h['X-Injected'], 'Evil' in h)).encode())\n",
      {request.RawHeader()});
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0], "0:00:00|3|application/x-www-form-urlencoded|Jürgen:p:w|" +
                         TvxMD5::GetMD5FromString(std::string("a\0b", 3)) + "|a  Evil: 1|False");
}

TEST(HttpRequest, DateHeaderIsInEnglishWhateverTheLocale) {
  TLocaleGuard german("de_DE");
  TCLocaleGuard germanC("de_DE.UTF-8");
  struct TCase {
    TDateTime Value;
    const char* Text;
  } cases[] = {
      {vxRuntime::EncodeDateTime(1994, 11, 6, 8, 49, 37, 0), "Sun, 06 Nov 1994 08:49:37 GMT"},
      {vxRuntime::EncodeDateTime(2024, 2, 29, 23, 5, 0, 0), "Thu, 29 Feb 2024 23:05:00 GMT"},
      {vxRuntime::EncodeDateTime(2026, 5, 3, 0, 0, 0, 0), "Sun, 03 May 2026 00:00:00 GMT"},
      // A hair before midnight rounds to the next day, and names it.
      {vxRuntime::EncodeDateTime(2025, 12, 31, 23, 59, 59, 999) + 0.0006 / 86400.0,
       "Thu, 01 Jan 2026 00:00:00 GMT"},
  };
  for (const TCase& c : cases) EXPECT_EQ(HttpDateText(c.Value), c.Text);
}

TEST(HttpRequest, LoadFromFile) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("page.html"), "<p>x</p>");
  TvxHTTPRequest request;
  request.LoadFromFile(dir.WideFile("page.html"));
  EXPECT_EQ(request.ContentText(), "<p>x</p>");
  EXPECT_EQ(request.ContentType(), u"text/html");
  // A file that cannot be read keeps the body; the type still follows the name.
  request.LoadFromFile(dir.WideFile("missing.qqqunknown"));
  EXPECT_EQ(request.ContentText(), "<p>x</p>");
  EXPECT_EQ(request.ContentType(), u"text/plain");
}

TEST(HttpResponse, NewAndCleared) {
  TvxHTTPResponse response;
  EXPECT_EQ(response.Code(), 200);
  EXPECT_EQ(response.ContentEncoding(), u"");
  EXPECT_EQ(response.RawHeader(), "");
  response.SetHeader(u"content-type", "text/plain");
  response.SetHeader(u"Content-Type", "text/html");
  EXPECT_EQ(response.GetHeader(u"CONTENT-TYPE"), "text/html");
  response.SetContentText("abc");
  response.SetContentType(u"text/html");
  response.SetCharSet("utf-8");
  response.ContentStream().WriteBuffer(std::string("x"));
  EXPECT_EQ(response.ContentLength(), 3u);
  std::unique_ptr<TStrings> names;
  response.GetHeaderList(names);
  EXPECT_EQ(Names(*names), "Content-Type;");

  response.Clear();
  EXPECT_EQ(response.Code(), 0);
  EXPECT_EQ(response.GetHeader(u"content-type"), "");
  EXPECT_EQ(response.ContentText(), "");
  EXPECT_EQ(response.ContentType(), u"");
  EXPECT_EQ(response.ContentStream().Size(), 0);
  EXPECT_EQ(response.CharSet(), "utf-8");
}

}  // namespace
