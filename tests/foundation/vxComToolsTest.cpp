// The request/answer string: the builder, the parser, the lookups and the
// bad inputs a peer or a configuration may bring.
#include "foundation/vxComTools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/vxStringsIds.h"
#include "foundation/vxBase64.h"
#include "platform/files/vxZlib.h"
#include "tests/support/vxTestTempDir.h"

using namespace TvxComTools;

namespace {

std::string AllBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s.push_back(static_cast<char>(i));
  return s;
}

// Param, OrgParam and Value of every item, one "Param|OrgParam|Value" each.
std::vector<std::string> Describe(const TComResExt& list) {
  std::vector<std::string> out;
  for (const TComPart& p : list) out.push_back(p.Param + "|" + p.OrgParam + "|" + p.Value);
  return out;
}

}  // namespace

TEST(ComTools, ParseCases) {
  struct TCase {
    std::string Request;
    bool ParseParVal;
    bool Parses;
    std::string Type;
    std::vector<std::string> Items;
  };
  const TCase cases[] = {
      {"<CONFIG><SMTPPORT=25></CONFIG>", true, true, "CONFIG", {"SMTPPORT|SMTPPORT|25"}},
      {"<config><SmtpPort=25></CONFIG>", true, true, "CONFIG", {"SMTPPORT|SmtpPort|25"}},
      {"<CONFIG><SMTPPORT=25></CONFIGX>", true, false, "", {}},
      {"<CONFIG>", true, false, "", {}},
      {"", true, false, "", {}},
      {"<", true, false, "", {}},
      {"<<<<", true, false, "", {}},
      {">>>>", true, false, "", {}},
      {"junk<T><a=1>tail</T>more", true, true, "T", {"A|a|1"}},
      {"<T><name=a=b></T>", true, true, "T", {"NAME|name|a=b"}},
      {"<T><novalue></T>", true, true, "T", {"||novalue"}},
      {"<T></T>", true, true, "T", {}},
      {"<T><></T>", true, true, "T", {}},
      // Text before a ">" when no "<" is left is a tag; a "<" inside a tag survives.
      {"<T><a=1></T>tail>", true, false, "", {}},
      {"<T><a=1>x></T>", true, true, "T", {"A|a|1"}},
      {"<T><a<b=1></T>", true, true, "T", {"A<B|a<b|1"}},
      {"<T><a=x<y></T>", true, true, "T", {"A|a|x<y"}},
      {"<T>a>b<c=1></T>", true, true, "T", {"C|c|1"}},
      // The tags are found in any letter case; a third one is an item.
      {"<T><ENC=MIME><" + TvxBase64::StrToBase64("x=1", false) + "></T>", true, true, "T", {"X|x|1"}},
      {"<T><enc=none><comp=false><enc=mime><a=1></T>", true, true, "T", {"ENC|enc|mime", "A|a|1"}},
      {"<T><a=1><enc=none></T>", true, true, "T", {"A|a|1"}},
      {"<Q><enc=none><comp=false><a=1><b=2></Q>", true, true, "Q", {"A|a|1", "B|b|2"}},
      {"<Q><enc=none><comp=false><a=1><b=2></Q>", false, true, "Q",
       {"0||enc=none", "1||comp=false", "2||a=1", "3||b=2"}},
      // An undecodable item without "=" keeps its raw token.
      {"<T><enc=mime><@@@></T>", true, true, "T", {"||@@@"}},
      // Windows-1252 letters fold too.
      {"<t\xe4><\xe4=1></T\xc4>", true, true, "T\xc4", {"\xc4|\xe4|1"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Request);
    std::string type = "before";
    TComResExt list{{"OLD", "old", "kept"}};
    EXPECT_EQ(ParseComAnswer(c.Request, type, list, c.ParseParVal), c.Parses);
    if (c.Parses) {
      EXPECT_EQ(type, c.Type);
      EXPECT_EQ(Describe(list), c.Items);
    } else {
      EXPECT_EQ(type, "before");
      EXPECT_EQ(Describe(list), std::vector<std::string>{"OLD|old|kept"});
    }
  }
}

TEST(ComTools, BuildPlainAndParseBack) {
  TComRes list;
  ASSERT_TRUE(AddComParam("a", "1", list));
  ASSERT_TRUE(AddComParam("b", "2", list));
  EXPECT_EQ(BuiltComString("Q", false, false, list), "<Q><enc=none><comp=false><a=1><b=2></Q>");
  EXPECT_EQ(list, (TComRes{"a=1", "b=2"}));
}

TEST(ComTools, BuildingWritesTheEncodedItemsBackIntoTheList) {
  TComRes list{"a=1"};
  EXPECT_EQ(BuiltComString("Q", true, false, list), "<Q><enc=mime><comp=false><YT0x></Q>");
  EXPECT_EQ(list, TComRes{"YT0x"});
  // Building again encodes the already encoded items once more.
  EXPECT_EQ(BuiltComString("Q", true, false, list), "<Q><enc=mime><comp=false><WVQweA==></Q>");
  std::string type;
  TComResExt parsed;
  ASSERT_TRUE(ParseComAnswer("<Q><enc=mime><comp=false><WVQweA==></Q>", type, parsed, true));
  EXPECT_EQ(Describe(parsed), std::vector<std::string>{"||WVQweA=="});
}

TEST(ComTools, CompressedRoundTripOfAllBytes) {
  const std::string value = AllBytes() + "=>" + AllBytes();
  TComRes list{"key=" + value, "second=>x", "plain"};
  // compress forces encode.
  const std::string built = BuiltComString("Data", false, true, list);
  EXPECT_EQ(built.rfind("<Data><enc=mime><comp=true><", 0), 0u);
  std::string type;
  TComResExt parsed;
  ASSERT_TRUE(ParseComAnswer(built, type, parsed, true));
  EXPECT_EQ(type, "DATA");
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0].Param, "KEY");
  EXPECT_EQ(parsed[0].Value, value);
  EXPECT_EQ(parsed[1].Value, ">x");
  // An item without "=" keeps its token as it stood in the string.
  EXPECT_EQ(parsed[2].OrgParam, "");
  EXPECT_EQ(parsed[2].Value, list[2]);
}

TEST(ComTools, CompressedItemThatDoesNotInflateRaisesTheDecompressionError) {
  std::string type = "before";
  TComResExt list{{"OLD", "old", "kept"}};
  const std::string request = "<T><enc=mime><comp=true><" + TvxBase64::StrToBase64("no zlib stream", false) + "></T>";
  EXPECT_THROW(ParseComAnswer(request, type, list, true), EZDecompressionError);
  EXPECT_EQ(type, "before");
  EXPECT_EQ(list.size(), 1u);
  // A stream whose length field promises more than it holds.
  std::string damaged = TvxStrings::CompressString("a=1");
  damaged[damaged.size() / 2] ^= 0x55;
  EXPECT_THROW(ParseComAnswer("<T><comp=yes><enc=mime><" + TvxBase64::StrToBase64(damaged, false) + "></T>", type,
                              list, true),
               EZDecompressionError);
}

TEST(ComTools, BadInputGivesAClearResult) {
  std::string type;
  TComResExt list;
  // A million nested tags: parsed in one pass.
  const std::string nested = std::string(1000000, '<') + "T" + std::string(1000000, '>');
  EXPECT_FALSE(ParseComAnswer(nested, type, list, true));
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a=1>";
  EXPECT_TRUE(ParseComAnswer("<T>" + deep + "</T>", type, list, false));
  EXPECT_EQ(list.size(), 100000u);
  EXPECT_FALSE(ParseComAnswer(std::string(1000000, '>'), type, list, true));
  // An item of 100 MB.
  const std::string big(100 * 1000 * 1000, 'v');
  ASSERT_TRUE(ParseComAnswer("<T><big=" + big + "></T>", type, list, true));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Value.size(), big.size());
  EXPECT_EQ(GetComParamSize(list, "big"), big.size());
}

TEST(ComTools, GetComType) {
  const std::pair<std::string, std::string> cases[] = {
      {"<config><a=1></config>", "CONFIG"}, {"xx< Answer >", "ANSWER"}, {"<T", ""}, {"", ""},
      {"T>", "T"},  // no "<": the text before the first ">"
      {"<>", ""},
  };
  for (const auto& [request, type] : cases) EXPECT_EQ(GetComType(request), type) << request;
}

TEST(ComTools, Lookups) {
  std::string type;
  TComResExt list;
  ASSERT_TRUE(ParseComAnswer("<T><Key=x><KEY=y><novalue><Empty=></T>", type, list, true));
  EXPECT_EQ(GetComParam(list, "key"), "x");
  EXPECT_EQ(GetComParam(list, "missing"), "");
  EXPECT_EQ(GetComParamExt(list, "missing", "dflt"), "dflt");
  EXPECT_EQ(GetComParamExt(list, "empty", "dflt"), "");
  EXPECT_EQ(GetComParamId(list, "KEY"), 0);
  EXPECT_EQ(GetComParamId(list, "empty"), 3);
  EXPECT_EQ(GetComParamId(list, "missing"), -1);
  EXPECT_EQ(GetComParamSize(list, "key"), 1u);
  EXPECT_EQ(GetComParamSize(list, "missing"), 0u);
  EXPECT_TRUE(ComParamExists(list, "kEy"));
  EXPECT_FALSE(ComParamExists(list, "missing"));
  EXPECT_EQ(GetFreeComParam(list), 2);
  EXPECT_EQ(GetFreeComParam(TComResExt{}), -1);
  EXPECT_EQ(GetComParam(list, "\xe4"), "");
}

TEST(ComTools, GetComListParamExtComparesTheStoredKeyAsItStands) {
  EXPECT_EQ(GetComListParamExt(TComRes{"A=hello world"}, "a", "dflt"), "hello world");
  EXPECT_EQ(GetComListParamExt(TComRes{"a=1"}, "a", "dflt"), "dflt");
  EXPECT_EQ(GetComListParamExt(TComRes{"B=2", "A=1", "A=3"}, "a", "dflt"), "1");
  EXPECT_EQ(GetComListParamExt(TComRes{"A=x=y"}, "a", ""), "x=y");
  EXPECT_EQ(GetComListParamExt(TComRes{"AB"}, "ab", "dflt"), "dflt");
}

TEST(ComTools, ObjectItems) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("Report.PDF"), AllBytes());
  TComRes list;
  EXPECT_TRUE(AddObjectComParam(dir.File("Report.PDF"), list));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], "obj(pdf)=" + AllBytes());
  EXPECT_FALSE(AddObjectComParam(dir.File("missing.pdf"), list));
  EXPECT_FALSE(AddObjectComParam(dir.File(""), list));  // a folder is no file
  EXPECT_EQ(list.size(), 1u);
  EXPECT_TRUE(AddObjectContentComParam(dir.File("never.written.Txt"), "content", list));
  EXPECT_TRUE(AddObjectContentComParam("noextension", "x", list));
  EXPECT_EQ(list, (TComRes{"obj(pdf)=" + AllBytes(), "obj(txt)=content", "obj()=x"}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("never.written.Txt")));
  // A file's bytes survive the compressed string.
  const std::string built = BuiltComString("OBJ", true, true, list);
  std::string type;
  TComResExt parsed;
  ASSERT_TRUE(ParseComAnswer(built, type, parsed, true));
  EXPECT_EQ(GetComParam(parsed, "OBJ(PDF)"), AllBytes());
}
