// Tests of the configuration list: path texts, keys, adding, reading with
// defaults, deleting, attributes and sub-lists.
#include <gtest/gtest.h>

#include "foundation/vxConfigTools.h"
#include "support/vxTestTempDir.h"

namespace {

TEST(ConfigList, PathTexts) {
  struct Case {
    ustring path, cleaned, sanitized, key;
  } cases[] = {
      {u"  /Mail/Server ", u"Mail/Server", u"Mail/Server", u"MAIL/SERVER"},
      {u"mail//SERVER", u"mail//SERVER", u"mail/SERVER", u"MAIL/SERVER"},
      {u"/mail/server ", u"mail/server", u"mail/server", u"MAIL/SERVER"},
      {u"2nd value", u"2nd value", u"_2nd_value", u"_2ND_VALUE"},
      {u"xmlData", u"xmlData", u"_xmlData", u"_XMLDATA"},
      {u"a:b/ 7c", u"a:b/ 7c", u"a_b/_7c", u"A_B/_7C"},
      {u"a b", u"a b", u"a_b", u"A_B"},
      {u"1xml", u"1xml", u"_1xml", u"_1XML"},
      {u"\u00A0\u3000\t/ x \u2028", u"x", u"x", u"X"},
      {u"/", u"", u"", u""},
      {u"   ", u"", u"", u""},
      {u"//a", u"/a", u"a", u"A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxConfigTools::CleanParamPath(c.path), c.cleaned);
    EXPECT_EQ(TvxConfigTools::SanitizeParamPath(c.path), c.sanitized);
    EXPECT_EQ(TvxConfigTools::GetParamKey(c.path), c.key);
  }
  EXPECT_EQ(TvxConfigTools::SplitParamPath(u"/a//b/"), (TWideStringArray{u"a", u"b"}));
  EXPECT_EQ(TvxConfigTools::GetPathString({u" a ", u"", u"b"}, false), u"/a/b");
  EXPECT_EQ(TvxConfigTools::GetPathString({u" a ", u"  ", u"b"}, true), u"a//b");
}

TEST(ConfigList, AddAndRead) {
  TvxConfigTools t;
  const int32_t i = t.AddConfigParam(u"  /Mail/Server ", Variant(ustring(u"a")), false, false);
  ASSERT_EQ(i, 0);
  EXPECT_EQ(t.ConfigList[0].Param, u"Mail/Server");
  EXPECT_EQ(t.ConfigList[0].SORTL, u"MAIL/SERVER");
  EXPECT_EQ(t.GetConfigParam(u"mail/server"), Variant(ustring(u"a")));
  EXPECT_EQ(t.ConfigList.size(), 100u);

  t.AddConfigParam(u"1st value", Variant(int32_t{1}), false, false);
  EXPECT_TRUE(t.ConfigParamExists(u"1st value"));
  EXPECT_TRUE(t.ConfigParamExists(u"_1st_value"));
  EXPECT_TRUE(t.ConfigParamExists(TWideStringArray{u"Mail", u"Server"}));
  EXPECT_EQ(t.GetConfigParam(u"none"), Variant(ustring()));

  for (const char16_t* empty : {u"", u"/", u"   "}) EXPECT_EQ(t.AddConfigParam(empty, Variant(1), false, false), -1);
  EXPECT_EQ(t.GetListSize(), 2);
  EXPECT_EQ(t.AddConfigParam(TWideStringArray{u"A", u"b"}, Variant(2), false, false), 2);
  EXPECT_EQ(t.GetConfigParam(TWideStringArray{u"a", u"B"}, Variant(0)), Variant(2));
}

TEST(ConfigList, MultiParamsReplaceAndDelete) {
  TvxConfigTools t;
  const int32_t first = t.AddConfigParam(u"K", Variant(ustring(u"1")), false, false);
  const int32_t second = t.AddConfigParam(u"K", Variant(ustring(u"2")), false, false);
  EXPECT_NE(first, second);
  EXPECT_EQ(t.GetConfigParam(u"k"), Variant(ustring(u"1")));
  EXPECT_EQ(t.AddConfigParam(u"K", Variant(ustring(u"3")), false, true), first);
  EXPECT_TRUE(t.DeleteConfigParam(u"K"));
  EXPECT_EQ(t.GetListSize(), 0);
  EXPECT_FALSE(t.DeleteConfigParam(u"K"));

  TvxConfigTools single;
  single.AllowMultiParams = false;
  const int32_t a = single.AddConfigParam(u"K", Variant(1), false, false);
  EXPECT_EQ(single.AddConfigParam(u"k", Variant(2), false, false), a);
  EXPECT_EQ(single.GetListSize(), 1);
  EXPECT_EQ(single.GetConfigParam(u"K"), Variant(2));
}

TEST(ConfigList, DeletedSlotIsReusedWithoutAttributes) {
  TvxConfigTools t;
  const int32_t i = t.AddConfigParam(u"A", Variant(1), false, false);
  ASSERT_TRUE(t.AddAttribute(i, u"x", Variant(1)));
  EXPECT_TRUE(t.DeleteConfigParam(u"a"));
  EXPECT_EQ(t.GetListSize(), 0);
  EXPECT_EQ(t.ConfigList.size(), 100u);
  EXPECT_EQ(t.GetEmptyConfigParam(), 0);
  EXPECT_EQ(t.AddConfigParam(u"B", Variant(2), false, false), i);
  EXPECT_TRUE(t.ConfigList[static_cast<size_t>(i)].Attributes.empty());
}

TEST(ConfigList, GrowsByDoubling) {
  TvxConfigTools t;
  ustring key = u"k";
  for (int n = 0; n < 100; ++n) {
    key.back() = static_cast<char16_t>(u'A' + n % 26);
    t.AddConfigParam(key, Variant(n), false, false);
  }
  EXPECT_EQ(t.ConfigList.size(), 100u);
  EXPECT_EQ(t.AddConfigParam(u"last", Variant(1), false, false), 100);
  EXPECT_EQ(t.ConfigList.size(), 200u);
}

TEST(ConfigList, DefaultRule) {
  TvxConfigTools t;
  t.AddConfigParam(u"N", Variant(ustring()), false, false);
  t.AddConfigParam(u"V", Variant(ustring(u"v")), false, false);
  t.AddConfigParam(u"Nul", Variant::Null(), false, false);
  struct Case {
    const char16_t* param;
    Variant def, expected;
  } cases[] = {
      {u"N", Variant(7), Variant(7)},
      {u"N", Variant(ustring(u"d")), Variant(ustring())},
      {u"N", Variant(true), Variant(true)},
      {u"N", Variant::FromDate(2.5), Variant::FromDate(2.5)},
      {u"N", Variant::FromShortInt(3), Variant(ustring())},
      {u"N", Variant::FromUInt64(3), Variant(ustring())},
      {u"Nul", Variant(1.5), Variant(1.5)},
      {u"Nul", Variant(ustring(u"d")), Variant::Null()},
      {u"V", Variant(7), Variant(ustring(u"v"))},
      {u"missing", Variant(7), Variant(7)},
      {u"missing", Variant(ustring(u"d")), Variant(ustring(u"d"))},
  };
  for (const Case& c : cases) EXPECT_EQ(t.GetConfigParam(c.param, c.def), c.expected);
}

TEST(ConfigList, Attributes) {
  TvxConfigTools t;
  const int32_t i = t.AddConfigParam(u"E", Variant(1), false, false);
  EXPECT_FALSE(t.AddAttribute(i, u"name", Variant(1)));
  for (const char16_t* type : {u"Type", u"TYPE", u"type"}) EXPECT_FALSE(t.AddAttribute(i, type, Variant(1)));
  t.AllowNameAttribute = true;
  EXPECT_TRUE(t.AddAttribute(i, u"name", Variant(1)));
  EXPECT_FALSE(t.AddAttribute(i, u"Type", Variant(1)));
  EXPECT_FALSE(t.AddAttribute(5000, u"x", Variant(1)));
  EXPECT_FALSE(t.AddAttribute(-1, u"x", Variant(1)));

  EXPECT_TRUE(t.AddAttribute(i, u"a", Variant(1)));
  EXPECT_TRUE(t.AddAttribute(i, u"a", Variant(2)));
  EXPECT_EQ(t.GetAttribute(i, u"a", Variant(0), false), Variant(1));
  EXPECT_TRUE(t.AddAttribute(i, u"A", Variant(3)));
  EXPECT_EQ(t.ConfigList[0].Attributes.size(), 3u);
  EXPECT_EQ(t.GetAttribute(u"e", u"A", Variant(0), false), Variant(3));
  EXPECT_EQ(t.GetAttribute(u"missing", u"A", Variant(0), false), Variant(0));

  // An empty first 'b' is skipped unless empty values are accepted.
  t.ConfigList[0].Attributes.push_back({u"b", Variant(ustring())});
  t.ConfigList[0].Attributes.push_back({u"b", Variant(ustring(u"later"))});
  EXPECT_EQ(t.GetAttribute(i, u"b", Variant(0), false), Variant(ustring(u"later")));
  EXPECT_EQ(t.GetAttribute(i, u"b", Variant(0), true), Variant(ustring()));
  t.ConfigList[0].Attributes.pop_back();
  EXPECT_EQ(t.GetAttribute(i, u"b", Variant(0), false), Variant(0));
}

TEST(ConfigList, SubListsAndNodeElements) {
  TvxConfigTools t;
  t.AddConfigParam(u"Mail/Server", Variant(ustring(u"s")), false, false);
  t.AddConfigParam(u"Mail/Port", Variant(25), false, false);
  t.AddConfigParam(u"MailX/Y", Variant(1), false, false);
  TvxConfigList list;
  ASSERT_TRUE(t.GetConfigList(u"mail", list, false));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Param, u"Server");
  EXPECT_EQ(list[0].SORTL, u"SERVER");
  EXPECT_EQ(list[1].Param, u"Port");
  t.GetConfigList(TWideStringArray{u"Mail"}, list, true);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Param, u"Mail/Server");
  t.GetConfigList(u"", list, false);
  EXPECT_EQ(list.size(), 3u);

  TvxConfigTools n;
  for (const char16_t* p : {u"A/b/c", u"A/b/d", u"A/e", u"B/x"}) n.AddConfigParam(p, Variant(1), false, false);
  TStringList names;
  n.GetNodeElements(u"A", names, false);
  ASSERT_EQ(names.GetCount(), 2);
  EXPECT_EQ(names.Get(0), u"b");
  EXPECT_EQ(names.Get(1), u"e");
  TStringList full;
  n.GetNodeElements(u"A", full, true);
  EXPECT_EQ(full.Get(0), u"A/b");
  const auto top = n.GetNodeElements(TWideStringArray{});
  ASSERT_EQ(top->GetCount(), 2);
  EXPECT_EQ(top->Get(0), u"A");
  EXPECT_EQ(top->Get(1), u"B");
}

TEST(ConfigList, BlobFromFile) {
  TTestTempDir dir;
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  TTestTempDir::WriteBytes(dir.File("blob.bin"), bytes);
  TvxConfigTools t;
  EXPECT_FALSE(t.AddBlobConfigParam(u" / ", dir.File("blob.bin")));
  EXPECT_FALSE(t.AddBlobConfigParam(u"B", dir.File("missing.bin")));
  EXPECT_EQ(t.GetListSize(), 0);
  ASSERT_TRUE(t.AddBlobConfigParam(u"B", dir.File("blob.bin")));
  ASSERT_TRUE(t.AddBlobConfigParam(u"B", dir.File("blob.bin")));  // always a new entry
  EXPECT_EQ(t.GetListSize(), 2);
  EXPECT_TRUE(t.ConfigList[0].Binary);
  EXPECT_EQ(t.ConfigList[0].Value, Variant(bytes));
}

}  // namespace
