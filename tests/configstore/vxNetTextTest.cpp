// Tests of the text operations of configstore/vxNet.h: XML escaping (read
// back by Python's XML parser) and one value out of a raw header text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "platform/base/vxCodePage.h"
#include "tests/configstore/vxPythonPeer.h"

namespace {

TEST(NetText, PrepareXMLStringBlanksControlsAndEscapesMarkup) {
  ustring data = u"\t<a href='x'>\r\n\"&\x01";
  EXPECT_TRUE(TvxNet::PrepareXMLString(data, false));
  EXPECT_EQ(data, u" &lt;a href=&apos;x&apos;&gt;\r\n&quot;&amp; ");

  ustring cdata = u"\t<a href='x'>\n\x1F";
  EXPECT_TRUE(TvxNet::PrepareXMLString(cdata, true));
  EXPECT_EQ(cdata, u" <a href='x'>\n ");

  ustring empty;
  EXPECT_TRUE(TvxNet::PrepareXMLString(empty, false));
  EXPECT_EQ(empty, u"");
}

TEST(NetText, AnXmlReaderGetsTheTextBack) {
  const std::vector<ustring> texts = {u"O'Reilly & Sons <b>\"quoted\"</b>", u"a\tb\x02" u"c", u"&amp; stays text"};
  std::vector<std::string> documents;
  for (ustring text : texts) {
    ASSERT_TRUE(TvxNet::PrepareXMLString(text, false));
    documents.push_back("<r a=\"" + WideToUtf8(text) + "\">" + WideToUtf8(text) + "</r>");
  }
  const std::vector<std::string> read = vxTest::RunPython(
      "import xml.etree.ElementTree as ET\n"
      "for b in inputs:\n"
      "    e = ET.fromstring(b)\n"
      "    out((e.text + '|' + e.get('a')).encode())\n",
      documents);
  const std::vector<std::string> expected = {"O'Reilly & Sons <b>\"quoted\"</b>", "a b c", "&amp; stays text"};
  for (size_t i = 0; i < expected.size() && i < read.size(); ++i)
    EXPECT_EQ(read[i], expected[i] + "|" + expected[i]);
}

TEST(NetText, RawHeaderValues) {
  const std::string header = "Content-Type: text/plain\r\nContent-Length: 12";
  struct TCase {
    std::string Param, Header, Value;
  } cases[] = {
      {"content-length", header, "12"},
      {"CONTENT-TYPE", header, "text/plain"},
      {"Type", header, "text/plain"},  // found inside the line's name
      {"X-Missing", header, ""},
      {"", header, ""},
      {"length", "Content-Length:   7  \n", "7"},
      {"Host", "Host: a:81\r\n", "a:81"},
      // No ":" after the name: no value.
      {"plain", header + "\r\n", "12"},
      {"12", header, ""},
      {"a", "", ""},
  };
  for (const TCase& c : cases) EXPECT_EQ(TvxNet::GetHttpRawHeaderValue(c.Param, c.Header), c.Value) << c.Param;
}

}  // namespace
