// Tests of the XML routines: attributes with defaults, elements by path,
// element text values and the cleaning of text for XML.
#include "foundation/vxXML.h"

#include <gtest/gtest.h>

namespace {

TEST(XmlTools, PrepareStringCases) {
  struct Case {
    ustring data;
    bool notation, encode;
    ustring expected;
  } cases[] = {
      {u"a\u0001b\u0002", false, true, u"a&#x0001;b&#x0002;"},
      {u"a\u0001b\u0002", false, false, u"a b "},
      {u"<&>", true, false, u"&lt;&amp;&gt;"},
      {u"\"'", true, false, u"&quot;&apos;"},
      {u"a\u0001", true, true, u"a&amp;#x0001;"},
      {u"\t\r\n \uD7FF\uE000\uFFFD", false, false, u"\t\r\n \uD7FF\uE000\uFFFD"},
      {u"\uFFFE\uFFFF", false, true, u"&#xFFFE;&#xFFFF;"},
      // A valid pair stays, lone halves are invalid wherever they stand.
      {u"\U0001F600", false, false, u"\U0001F600"},
      {ustring(u"a\xD800" u"b"), false, false, u"a b"},
      {ustring(u"\xDC00\xD800"), false, true, u"&#xDC00;&#xD800;"},
      {ustring(u"x\xD83D"), false, false, u"x "},
      {u"", true, true, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxXMLTools::PrepareString(c.data, c.notation, c.encode), c.expected)
        << "notation " << c.notation << " encode " << c.encode;
}

TEST(XmlTools, GetNodeFindsOrCreatesAlongThePath) {
  TXMLDocument doc;
  const TXMLNode b = TvxIXMLDocumentTools::GetNode(doc, ustring(u"a/b"));
  ASSERT_FALSE(b.IsNil());
  EXPECT_EQ(b.NodeName(), u"b");
  EXPECT_EQ(TvxIXMLDocumentTools::GetNode(doc, ustring(u"a/b")), b);
  EXPECT_EQ(TvxIXMLDocumentTools::GetNode(doc, TWideStringArray{u"a", u"b"}), b);
  const TXMLNode c = TvxIXMLDocumentTools::GetNode(doc, TWideStringArray{u"a", u"c"});
  EXPECT_EQ(c.NodeName(), u"c");
  EXPECT_EQ(doc.DocumentElement().ChildNodes().size(), 2u);
  EXPECT_TRUE(TvxIXMLDocumentTools::GetNode(doc, TWideStringArray{}).IsNil());
  EXPECT_EQ(doc.SaveToXML(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><b/><c/></a>");
}

TEST(XmlTools, GetNodeLetsTheDocumentsErrorsPass) {
  TXMLDocument doc;
  EXPECT_THROW(TvxIXMLDocumentTools::GetNode(doc, ustring(u"a//b")), EXMLDocError);
  // What was made before the error stays.
  EXPECT_EQ(doc.DocumentElement().NodeName(), u"a");
  EXPECT_THROW(TvxIXMLDocumentTools::GetNode(doc, ustring(u"other")), EXMLDocError);
  EXPECT_THROW(TvxIXMLDocumentTools::GetNode(doc, ustring(u"a/1x")), EXMLDocError);
}

TEST(XmlTools, GetAttributeAndNodeValue) {
  TXMLDocument doc;
  doc.LoadFromXML("<r a='' b='x'><lf>x\ny</lf><crlf>a&#13;\nb\nc</crlf><e/><c><![CDATA[d]]></c><g><k/>t</g></r>");
  const TXMLNode r = doc.DocumentElement();
  EXPECT_EQ(TvxIXMLDocumentTools::GetAttribute(r, u"a", u"def"), u"");
  EXPECT_EQ(TvxIXMLDocumentTools::GetAttribute(r, u"b", u"def"), u"x");
  EXPECT_EQ(TvxIXMLDocumentTools::GetAttribute(r, u"B", u"def"), u"def");

  EXPECT_EQ(TvxIXMLDocumentTools::GetNodeValue(r.FindChildElement(u"lf")), Variant(ustring(u"x\r\ny")));
  EXPECT_EQ(TvxIXMLDocumentTools::GetNodeValue(r.FindChildElement(u"crlf")), Variant(ustring(u"a\r\nb\nc")));
  EXPECT_TRUE(TvxIXMLDocumentTools::GetNodeValue(r.FindChildElement(u"e")).IsNull());
  EXPECT_EQ(TvxIXMLDocumentTools::GetNodeValue(r.FindChildElement(u"c")), Variant(ustring(u"d")));
  EXPECT_TRUE(TvxIXMLDocumentTools::GetNodeValue(r.FindChildElement(u"g")).IsNull());
}

}  // namespace
