// Tests of the multipart bodies of configstore/vxNetWeb.h: bodies written
// by hand and by Python's email package read back, malformed bodies, and
// the look-ups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configstore/vxNetWeb.h"
#include "platform/base/vxCodePage.h"
#include "tests/configstore/vxPythonPeer.h"

namespace {

using namespace std::string_literals;

const std::string kTwoParts =
    "--b\r\n"
    "Content-Disposition: form-data; name=\"a\"\r\n"
    "\r\n"
    "x\r\n"
    "--b\r\n"
    "Content-Disposition: form-data; name=\"f\"; filename=\"n.txt\"\r\n"
    "Content-Type: Text/Plain\r\n"
    "\r\n"
    "y\r\n"
    "--b--\r\n";

TEST(MultiParts, TwoPartsAndTheirLookUps) {
  for (const bool lower : {true, false}) {
    TMultiParts parts;
    ASSERT_TRUE(TvxNet::ParseMultiPartData(kTwoParts, parts, lower));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].Name, "a");
    EXPECT_EQ(parts[0].SORTL, "A");
    EXPECT_EQ(parts[0].Data, "x");
    EXPECT_EQ(parts[0].FileName, u"");
    ASSERT_EQ(parts[0].Header.size(), 1u);
    EXPECT_EQ(parts[0].Header[0].Key, u"CONTENT-DISPOSITION");
    EXPECT_EQ(parts[0].Header[0].Value, u"form-data; name=\"a\"");
    EXPECT_EQ(parts[1].FileName, u"n.txt");
    EXPECT_EQ(parts[1].Data, "y");
    EXPECT_EQ(parts[1].CType, lower ? "text/plain" : "Text/Plain");

    EXPECT_EQ(TvxNet::GetMultiPartData(parts, "A", "-"), "x");
    EXPECT_EQ(TvxNet::GetMultiPartData(parts, "missing", "-"), "-");
    EXPECT_EQ(TvxNet::GetMultiPartId(parts, "F"), 1);
    EXPECT_EQ(TvxNet::GetMultiPartId(parts, "g"), -1);
    EXPECT_EQ(TvxNet::GetMultiPartHeaderValue(parts[1], u"content-type", u"-"), u"Text/Plain");
    EXPECT_EQ(TvxNet::GetMultiPartHeaderValue(parts[1], u"x-none", u"-"), u"-");
  }
}

TEST(MultiParts, PartsOfManyKinds) {
  struct TCase {
    std::string Body;
    std::vector<std::string> NameDataFile;  // name, data and file name of each part
  } cases[] = {
      // The file name before the name, and unquoted values.
      {"--b\r\nContent-Disposition: form-data; filename=\"n.txt\"; name=\"f\"\r\n\r\ny\r\n--b--",
       {"f", "y", "n.txt"}},
      {"--b\r\ncontent-disposition: form-data; NAME=plain; Filename=a.b\r\n\r\nv\r\n--b--", {"plain", "v", "a.b"}},
      // A part without headers; an empty part; content holding CR LF and
      // text like a delimiter that is none.
      {"--b\r\n\r\nnaked\r\n--b\r\nContent-Disposition: form-data; name=\"e\"\r\n\r\n\r\n--b--",
       {"", "naked", "", "e", "", ""}},
      {"--xyz\r\nContent-Disposition: form-data; name=\"t\"\r\n\r\nline 1\r\n-- xyz\r\nline 2\r\n--xyz--\r\n",
       {"t", "line 1\r\n-- xyz\r\nline 2", ""}},
      // A file name in UTF-8 as forms send it, and a name with blanks.
      {"--b\r\nContent-Disposition: form-data; name=\"my field\"; filename=\"Gr\xC3\xBC\xC3\x9F" "e.txt\"\r\n\r\n"
       "\x00\xFF\r\n--b--"s,
       {"my field", "\x00\xFF"s, "Grüße.txt"}},
      // No closing delimiter but a final plain one.
      {"--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--b\r\n", {"a", "1", ""}},
      // A preamble-free body whose delimiter line ends in LF alone.
      {"--b\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--b--", {"a", "1", ""}},
  };
  for (const TCase& c : cases) {
    TMultiParts parts;
    ASSERT_TRUE(TvxNet::ParseMultiPartData(c.Body, parts, true)) << c.Body;
    ASSERT_EQ(parts.size() * 3, c.NameDataFile.size()) << c.Body;
    for (size_t i = 0; i < parts.size(); ++i) {
      EXPECT_EQ(parts[i].Name, c.NameDataFile[3 * i]) << c.Body;
      EXPECT_EQ(parts[i].Data, c.NameDataFile[3 * i + 1]) << c.Body;
      EXPECT_EQ(WideToUtf8(parts[i].FileName), c.NameDataFile[3 * i + 2]) << c.Body;
    }
  }
}

TEST(MultiParts, HeaderLinesAreKeptAndTheLastOfANameDecides) {
  const std::string body =
      "--b\r\n"
      "Content-Type: text/plain\r\n"
      "no colon here\r\n"
      ": no key\r\n"
      "X-Extra :  value  \r\n"
      "Content-Type: Text/HTML\r\n"
      "\r\n"
      "z\r\n--b--";
  TMultiParts parts;
  ASSERT_TRUE(TvxNet::ParseMultiPartData(body, parts, false));
  ASSERT_EQ(parts.size(), 1u);
  ASSERT_EQ(parts[0].Header.size(), 3u);
  EXPECT_EQ(parts[0].Header[1].Key, u"X-EXTRA");
  EXPECT_EQ(parts[0].Header[1].Value, u"value");
  EXPECT_EQ(parts[0].CType, "Text/HTML");
  EXPECT_EQ(TvxNet::GetMultiPartHeaderValue(parts[0], u"Content-Type", u""), u"text/plain");
}

TEST(MultiParts, MalformedBodiesGiveFalse) {
  TMultiParts parts(1);
  parts[0].Name = "kept";
  EXPECT_FALSE(TvxNet::ParseMultiPartData("", parts, true));
  ASSERT_EQ(parts.size(), 1u);  // an empty body leaves the list alone
  EXPECT_EQ(parts[0].Name, "kept");

  const std::string cases[] = {
      // No empty line after the headers, at the end of the body.
      "--b\r\nContent-Disposition: form-data; name=\"a\"\r\nx\r\n--b--",
      // No content after the empty line, no further delimiter.
      "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx",
      // The empty line only in the next part: no part may swallow another.
      "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n--b\r\nContent-Disposition: form-data; name=\"c\"\r\n\r\n"
      "y\r\n--b--",
      // An empty first line.
      "\r\n--b\r\n",
      "   ",
  };
  for (const std::string& body : cases) EXPECT_FALSE(TvxNet::ParseMultiPartData(body, parts, true)) << body;

  // What came before a broken part stays.
  const std::string brokenSecond =
      "--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--b\r\nContent-Disposition: form-data; "
      "name=\"c\"\r\n";
  EXPECT_FALSE(TvxNet::ParseMultiPartData(brokenSecond, parts, true));
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].Name, "a");
}

TEST(MultiParts, BodiesWrittenByPythonsEmailPackage) {
  struct TPart {
    std::string Name, FileName, Type, Payload;
  };
  const std::vector<TPart> parts = {
      {"title", "", "text/plain", "Invoice 4711"},
      {"comment", "", "text/plain", "line one\r\nline two\r\n\r\nafter an empty line"},
      {"upload", "scan.pdf", "application/pdf", "%PDF-1.4 \x01\x02\x7F\x80\xFF binary\tbytes"},
      {"empty", "", "text/plain", ""},
      {"Mixed_Case", "a b.TXT", "Text/Plain", "--not a delimiter"},
  };
  // Each part as name, file name, type and payload, separated by 0x1F.
  std::string definition;
  for (const TPart& part : parts) definition += part.Name + '\x1F' + part.FileName + '\x1F' + part.Type + '\x1F' + part.Payload + '\x1E';
  const std::vector<std::string> bodies = vxTest::RunPython(
      "import io, email.policy\n"
      "from email.mime.multipart import MIMEMultipart\n"
      "from email.mime.nonmultipart import MIMENonMultipart\n"
      "from email.generator import BytesGenerator\n"
      "for b in inputs:\n"
      "    m = MIMEMultipart('form-data')\n"
      "    for item in b.split(b'\\x1e')[:-1]:\n"
      "        name, filename, ctype, payload = item.split(b'\\x1f')\n"
      "        main, sub = ctype.decode().split('/')\n"
      "        p = MIMENonMultipart(main, sub)\n"
      "        del p['MIME-Version']\n"
      "        params = {'name': name.decode()}\n"
      "        if filename: params['filename'] = filename.decode()\n"
      "        p.add_header('Content-Disposition', 'form-data', **params)\n"
      "        p.set_payload(payload)\n"
      "        m.attach(p)\n"
      "    buf = io.BytesIO()\n"
      "    BytesGenerator(buf, policy=email.policy.HTTP).flatten(m)\n"
      "    whole = buf.getvalue()\n"
      "    out(whole[whole.index(b'\\r\\n\\r\\n') + 4:])\n",
      {definition});
  ASSERT_EQ(bodies.size(), 1u);
  TMultiParts read;
  ASSERT_TRUE(TvxNet::ParseMultiPartData(bodies[0], read, true)) << bodies[0];
  ASSERT_EQ(read.size(), parts.size()) << bodies[0];
  for (size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(read[i].Name, parts[i].Name);
    EXPECT_EQ(WideToUtf8(read[i].FileName), parts[i].FileName);
    EXPECT_EQ(read[i].CType, vxRuntime::AsciiLower(parts[i].Type));
    EXPECT_EQ(read[i].Data, parts[i].Payload) << parts[i].Name;
  }
  EXPECT_EQ(TvxNet::GetMultiPartId(read, "mixed_case"), 4);
}

}  // namespace
