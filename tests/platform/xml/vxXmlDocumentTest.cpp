// Tests of the XML document: strict loading (bad documents, entity bombs,
// huge attributes, encodings), building with checked names and texts, and
// the text of elements.
#include "platform/xml/vxXmlDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "support/vxRunProgram.h"
#include "support/vxTestTempDir.h"

namespace {

struct BadDocument {
  const char* what;
  std::string bytes;
};

TEST(XmlDocument, RefusesDocumentsThatAreNotWellFormed) {
  const BadDocument cases[] = {
      {"empty", ""},
      {"declaration only", "<?xml version=\"1.0\"?>"},
      {"plain text", "not xml"},
      {"two document elements", "<a/><b/>"},
      {"text after the element", "<a/>text"},
      {"text before the element", "text<a/>"},
      {"CDATA after the element", "<a/><![CDATA[x]]>"},
      {"unclosed element", "<a><b></a>"},
      {"name starting with a digit", "<1a/>"},
      {"invalid name character", "<a\xC3\x97/>"},  // U+00D7 is no name character
      {"repeated attribute", "<a b='1' b='2'/>"},
      {"undefined entity", "<a>&foo;</a>"},
      {"undefined entity in an attribute", "<a b='&foo;'/>"},
      {"bare ampersand", "<a>x & y</a>"},
      {"'<' in an attribute", "<a b='<'/>"},
      {"reference to a control character", "<a>&#1;</a>"},
      {"reference to a surrogate", "<a>&#xD800;</a>"},
      {"raw control character", std::string("<a>\x01</a>")},
      {"invalid UTF-8", "<a>\xFF</a>"},
      {"NUL byte", std::string("<a>x\0y</a>", 10)},
      {"U+FFFF", "<a>\xEF\xBF\xBF</a>"},
      {"UTF-8 surrogate", "<a>\xED\xA0\x80</a>"},
      {"UTF-16 lone surrogate", std::string("\xFF\xFE<\0a\0>\0\x00\xD8<\0/\0a\0>\0", 18)},
      {"UTF-16 odd length", std::string("\xFF\xFE<\0a\0/\0>\0\0", 11)},
      {"unsupported encoding", "<?xml version=\"1.0\" encoding=\"EBCDIC-XY\"?><a/>"},
      {"document type", "<!DOCTYPE a><a/>"},
  };
  for (const BadDocument& c : cases) {
    TXMLDocument doc;
    EXPECT_THROW(doc.LoadFromXML(c.bytes), EDOMParseError) << c.what;
    EXPECT_TRUE(doc.DocumentElement().IsNil()) << c.what;
  }
}

TEST(XmlDocument, RefusesEntityBombWithoutExpanding) {
  std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) bomb += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
    bomb += "\">";
  }
  bomb += "]><lolz>&lol9;</lolz>";
  TXMLDocument doc;
  try {
    doc.LoadFromXML(bomb);
    FAIL() << "the bomb loaded";
  } catch (const EDOMParseError& e) {
    EXPECT_NE(std::string(e.what()).find("document type"), std::string::npos) << e.what();
  }
}

TEST(XmlDocument, HugeUnterminatedAttributeFailsCleanly) {
  std::string doc = "<a b=\"";
  doc.append(100u * 1024 * 1024, 'x');
  TXMLDocument d;
  EXPECT_THROW(d.LoadFromXML(doc), EDOMParseError);
}

TEST(XmlDocument, NestingIsBounded) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  for (int i = 0; i < 5000; ++i) deep += "</a>";
  TXMLDocument doc;
  EXPECT_THROW(doc.LoadFromXML(deep), EDOMParseError);
}

TEST(XmlDocument, ResolvesReferencesAndKeepsTextOutsideTheBmp) {
  TXMLDocument doc;
  doc.LoadFromXML(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- c --><r a=\"&lt;&amp;&gt;&quot;&apos;&#10;&#x1F600;\">"
      "x&amp;y\xF0\x9F\x98\x80<![CDATA[<raw&>]]><e/></r>");
  const TXMLNode root = doc.DocumentElement();
  EXPECT_EQ(root.NodeName(), u"r");
  EXPECT_EQ(root.GetAttribute(u"a"), ustring(u"<&>\"'\n\U0001F600"));
  const auto children = root.ChildNodes();
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(children[0].NodeType(), ntText);
  EXPECT_EQ(children[0].NodeValue(), ustring(u"x&y\U0001F600"));
  EXPECT_EQ(children[1].NodeType(), ntCData);
  EXPECT_EQ(children[1].NodeValue(), ustring(u"<raw&>"));
  EXPECT_EQ(children[2].NodeType(), ntElement);
  EXPECT_FALSE(children[2].NodeValue().has_value());
}

TEST(XmlDocument, ReadsDeclaredEncodings) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\x80\xE4</a>"},
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE4</a>"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<a>\xC3\xA4</a>"},
      {"UTF-16LE with a byte-order mark", std::string("\xFF\xFE<\0a\0>\0\xE4\0<\0/\0a\0>\0", 18)},
      {"UTF-16BE without a mark", std::string("\0<\0a\0>\xD8\x3D\xDE\x00\0<\0/\0a\0>", 18)},
  };
  const ustring expected[] = {u"\u20AC\u00E4", u"\u00E4", u"\u00E4", u"\u00E4", u"\U0001F600"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    TXMLDocument doc;
    doc.LoadFromXML(cases[i].bytes);
    EXPECT_EQ(doc.DocumentElement().Text(), expected[i]) << cases[i].what;
  }
}

TEST(XmlDocument, BlankOnlyTextOfALeafSurvivesIndentationDoesNot) {
  TXMLDocument doc;
  doc.LoadFromXML("<r>\n  <a> </a>\n  <b/>\n</r>");
  const auto children = doc.DocumentElement().ChildNodes();
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0].Text(), u" ");
  EXPECT_EQ(children[1].Text(), u"");
}

TEST(XmlDocument, BuildsAndSavesWithDeclaration) {
  TXMLDocument doc;
  TXMLNode root = doc.DocumentNode().AddChild(u"root");
  root.SetAttribute(u"b", u"1");
  root.SetAttribute(u"a", u"x\"<&\t\n");
  root.SetAttribute(u"b", u"2");  // in place: order stays
  TXMLNode child = root.AddChild(u"c\u00E4");
  child.SetText(u"a<b>&\U0001F600");
  EXPECT_EQ(doc.SaveToXML(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root b=\"2\" a=\"x&quot;&lt;&amp;&#09;&#10;\">"
            "<c\xC3\xA4>a&lt;b&gt;&amp;\xF0\x9F\x98\x80</c\xC3\xA4></root>");

  TXMLDocument back;
  back.LoadFromXML(doc.SaveToXML());
  EXPECT_EQ(back.DocumentElement().GetAttribute(u"a"), ustring(u"x\"<&\t\n"));
  EXPECT_EQ(back.DocumentElement().FindChildElement(u"c\u00E4").Text(), u"a<b>&\U0001F600");
}

TEST(XmlDocument, SavesIndentedAndInUtf16WithItsDeclaration) {
  TXMLDocument doc;
  TXMLNode root = doc.DocumentNode().AddChild(u"r");
  root.AddChild(u"a").SetText(u" \u00C1\r\n");
  root.AddChild(u"b").AddChild(u"c");
  const std::string indented = doc.SaveToXML(TXMLSaveOptions{TXMLSaveEncoding::UTF8, true});
  EXPECT_EQ(indented,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n  <a> \xC3\x81&#13;\n</a>\n  <b>\n    <c/>\n  </b>\n</r>\n");

  const std::string wide = doc.SaveToXML(TXMLSaveOptions{TXMLSaveEncoding::UTF16, false});
  ASSERT_GE(wide.size(), 2u);
  EXPECT_EQ(wide.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Utf16LEToWide(wide.substr(2)), u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r><a> \u00C1&#13;\n</a><b><c/></b></r>");

  // Both read back alike, the text as it was; saved again indented, the
  // layout read in is replaced, not doubled.
  for (const std::string& bytes : {indented, wide}) {
    TXMLDocument back;
    back.LoadFromXML(bytes);
    std::vector<TXMLNode> children;
    for (const TXMLNode& child : back.DocumentElement().ChildNodes())
      if (child.NodeType() == ntElement) children.push_back(child);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].Text(), u" \u00C1\r\n");
    EXPECT_EQ(back.SaveToXML(TXMLSaveOptions{TXMLSaveEncoding::UTF8, true}), indented);
  }
}

// Every value reads back as it was, by our reader and by Python's: the
// line breaks and tabs a parser would normalise are written as references.
TEST(XmlDocument, EveryValueReadsBackAsItWas) {
  const std::vector<ustring> values = {u"a\rb", u"a\r\nb", u"\r", u"\r\r\n\n", u"x\ty\nz", u" \t ",
                                       u"]]>", u"a\n\rb"};
  TXMLDocument doc;
  TXMLNode root = doc.DocumentNode().AddChild(u"r");
  for (const ustring& value : values) {
    TXMLNode v = root.AddChild(u"v");
    v.SetText(value);
    v.SetAttribute(u"a", value);
  }
  const std::string saved = doc.SaveToXML();
  TXMLDocument back;
  back.LoadFromXML(saved);
  const std::vector<TXMLNode> read = back.DocumentElement().ChildNodes();
  ASSERT_EQ(read.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(read[i].Text(), values[i]) << i;
    EXPECT_EQ(read[i].GetAttribute(u"a"), values[i]) << i;
  }

  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("saved.xml"), saved);
  const vxTest::TProgramResult python = vxTest::RunProgram(
      {"/usr/bin/python3", "-c",
       "import sys, xml.dom.minidom as m\n"
       "d = m.parse(sys.argv[1])\n"
       "for v in d.getElementsByTagName('v'):\n"
       "  t = ''.join(c.data for c in v.childNodes)\n"
       "  print(ascii(t), ascii(v.getAttribute('a')))\n",
       dir.File("saved.xml")});
  ASSERT_EQ(python.ExitStatus, 0) << python.Output;
  std::string expected;
  auto ascii = [](const ustring& value) {
    std::string text = "'";
    for (char16_t c : value) {
      if (c == u'\r') text += "\\r";
      else if (c == u'\n') text += "\\n";
      else if (c == u'\t') text += "\\t";
      else text += static_cast<char>(c);
    }
    return text + "'";
  };
  for (const ustring& value : values) expected += ascii(value) + " " + ascii(value) + "\n";
  EXPECT_EQ(python.Output, expected);
}

// Loading, Text() and saving agree on comments and processing
// instructions: around the document element they are kept and saved; inside
// it they are dropped and the texts around them are one text.
TEST(XmlDocument, CommentsAndInstructionsAreKeptAroundTheDocumentElementOnly) {
  struct Case {
    const char* In;
    const char16_t* Text;  // of the element v
    const char* Saved;     // after the declaration
  } cases[] = {
      {"<v>abc<!--note-->def</v>", u"abcdef", "<v>abcdef</v>"},
      {"<v>a<?pi x?>b<!--c-->c</v>", u"abc", "<v>abc</v>"},
      {"<v><!--c-->abc</v>", u"abc", "<v>abc</v>"},
      {"<v>a<!--x--> <!--y-->b</v>", u"a b", "<v>a b</v>"},
      {"<v> <!--x--> </v>", u"  ", "<v>  </v>"},
      {"<v>&amp;<!--x-->lt;</v>", u"&lt;", "<v>&amp;lt;</v>"},
      {"<!--head--><?style a=\"1\"?><v>x</v><!--tail-->", u"x",
       "<!--head--><?style a=\"1\"?><v>x</v><!--tail-->"},
      {"<?xml version=\"1.0\"?>\n<!-- c -->\n<v/>\n", u"", "<!-- c --><v/>"},
  };
  for (const Case& c : cases) {
    TXMLDocument doc;
    doc.LoadFromXML(c.In);
    EXPECT_EQ(doc.DocumentElement().Text(), c.Text) << c.In;
    const std::string saved = doc.SaveToXML();
    EXPECT_EQ(saved, std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + c.Saved) << c.In;
    TXMLDocument again;
    again.LoadFromXML(saved);
    EXPECT_EQ(again.SaveToXML(), saved) << c.In;
  }
  TXMLDocument doc;
  doc.LoadFromXML("<!--a--><?p b?><r/>");
  const std::vector<TXMLNode> top = doc.DocumentNode().ChildNodes();
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0].NodeType(), ntComment);
  EXPECT_EQ(top[0].NodeValue(), ustring(u"a"));
  EXPECT_EQ(top[1].NodeType(), ntProcessingInstr);
  EXPECT_EQ(top[1].NodeName(), u"p");
  EXPECT_EQ(top[2], doc.DocumentElement());
  // What no parser may take: "--" in a comment, a bad target.
  for (const char* bad : {"<!--a--b--><r/>", "<r><!--a---></r>", "<?1p x?><r/>"})
    EXPECT_THROW(doc.LoadFromXML(bad), EDOMParseError) << bad;
}

TEST(XmlDocument, RefusesInvalidNamesTextsAndASecondDocumentElement) {
  TXMLDocument doc;
  TXMLNode document = doc.DocumentNode();
  for (const char16_t* name : {u"", u"1a", u"a b", u"a/b", u"-a", u"a<"})
    EXPECT_THROW(document.AddChild(name), EXMLDocError);
  TXMLNode root = document.AddChild(u"r");
  EXPECT_THROW(document.AddChild(u"s"), EXMLDocError);
  EXPECT_THROW(root.SetAttribute(u"", u"v"), EXMLDocError);
  EXPECT_THROW(root.SetText(u"a\u0001"), EXMLDocError);
  EXPECT_THROW(root.SetText(ustring(1, u'\xD800')), EXMLDocError);
  EXPECT_THROW(root.SetAttribute(u"a", u"\uFFFE"), EXMLDocError);
  EXPECT_NO_THROW(root.AddChild(u"_x.y-z:w\u00B7"));
}

TEST(XmlDocument, TextOfMixedContentRaises) {
  TXMLDocument doc;
  doc.LoadFromXML("<r><m>a<b/>c</m><t>x</t><e></e><g><b/></g></r>");
  const TXMLNode r = doc.DocumentElement();
  EXPECT_THROW(r.FindChildElement(u"m").Text(), EXMLDocError);
  EXPECT_THROW(r.FindChildElement(u"g").Text(), EXMLDocError);
  EXPECT_EQ(r.FindChildElement(u"t").Text(), u"x");
  EXPECT_EQ(r.FindChildElement(u"e").Text(), u"");
  EXPECT_TRUE(r.FindChildElement(u"missing").IsNil());
}

}  // namespace
