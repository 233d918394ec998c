// Deleting values, renaming, sorting and searching on both databases: what
// goes and what stays, the refused renames and the cache after a rename,
// and the search with its patterns, excerpts and limits.
#include <gtest/gtest.h>

#include "configstore/internal/vxConfigManagerPatterns.h"
#include "configstore/vxConfigManager.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

std::string Text(const ustring& Value) { return WideToUtf8(Value); }

// The id of the property Name of the node Key.
TIdType PropertyId(TStoreDatabase& Db, TvxConfigManager& Store, const ustring& Key, const ustring& Name) {
  const auto row = Db.Row(u"SELECT ID FROM vx_configuration WHERE PARENTID = :P AND KEYNAME = :N AND DATATYPE <> 'TREE'",
                          {{u"P", Variant(Store.GetParentTreeId(Key, false, false).WideStr())}, {u"N", Variant(Name)}});
  return row.empty() ? TIdType() : TIdType(std::u16string_view(row[0]));
}

class ConfigMaintenance : public StoreTest {};

TEST_P(ConfigMaintenance, DeletingValuesLeavesChildNodesAndTheirSubtrees) {
  auto store = OpenStore();
  for (const char16_t* name : {u"Port", u"PortSSL", u"Ports", u"port1", u"Pxrt", u"Po_t", u"Poxt", u"Other"})
    ASSERT_TRUE(store->SetConfigValue(u"/del", name, Variant(1)));
  // A child node whose name begins the same way, with a value of its own.
  ASSERT_TRUE(store->SetConfigValue(u"/del/Port2", u"inner", Variant(2)));
  ASSERT_TRUE(store->SetConfigValue(u"/del/Other", u"inner", Variant(3)));

  EXPECT_TRUE(store->DeleteConfigValue(u"/del", u" Port ", true));
  EXPECT_EQ(store->Message.Get(), u"");
  for (const char16_t* gone : {u"Port", u"PortSSL", u"Ports"}) EXPECT_FALSE(store->ConfigValueExists(u"/del", gone));
  for (const char16_t* kept : {u"port1", u"Pxrt", u"Po_t", u"Poxt"}) EXPECT_TRUE(store->ConfigValueExists(u"/del", kept));
  EXPECT_EQ(store->GetConfigValue(u"/del/Port2", u"inner", Variant(), false).AsInteger(), 2);

  // "_" is a character like any other.
  EXPECT_TRUE(store->DeleteConfigValue(u"/del", u"Po_", true));
  EXPECT_FALSE(store->ConfigValueExists(u"/del", u"Po_t"));
  EXPECT_TRUE(store->ConfigValueExists(u"/del", u"Poxt"));

  // Exactly one name: the property goes, the child node of that name stays.
  EXPECT_TRUE(store->DeleteConfigValue(u"/del", u"Other", false));
  EXPECT_EQ(store->GetConfigValue(u"/del/Other", u"inner", Variant(), false).AsInteger(), 3);
  EXPECT_EQ(Database().Count(u"KEYNAME = 'Other' AND DATATYPE <> 'TREE'"), 0);
  EXPECT_TRUE(store->NodeExists(u"/del/Other", false));

  // A missing node deletes nothing and says nothing.
  EXPECT_FALSE(store->DeleteConfigValue(u"/del/none", u"x", false));
  EXPECT_EQ(store->Message.Get(), u"");

  // By id: a property goes, a node's id deletes nothing.
  const TIdType poxt = PropertyId(Database(), *store, u"/del", u"Poxt");
  ASSERT_FALSE(poxt.IsEmpty());
  EXPECT_TRUE(store->DeleteConfigValueById(poxt));
  EXPECT_FALSE(store->ConfigValueExists(u"/del", u"Poxt"));
  const TIdType node = store->GetParentTreeId(u"/del/Port2", false, false);
  const int64_t rows = Database().Count();
  EXPECT_TRUE(store->DeleteConfigValueById(node));
  EXPECT_EQ(Database().Count(), rows);
  EXPECT_TRUE(store->DeleteConfigValueById(TIdType("NOSUCHID")));
}

TEST_P(ConfigMaintenance, SortingComparesCodeUnitsAndKeepsEqualNamesInOrder) {
  TConfigNodes nodes;
  const char16_t* names[] = {u"b", u"B", u"\uFF21", u"a", u"\U0001F600", u"a", u"_"};
  for (size_t i = 0; i < std::size(names); ++i)
    nodes.push_back({TIdType(std::to_string(i)), names[i], ustring(names[i]) + u"/", names[i]});
  ASSERT_TRUE(TvxConfigManager::SortNodes(nodes));
  std::vector<std::string> order;
  for (const TConfigNode& n : nodes) order.push_back(n.Id.Str());
  EXPECT_EQ(order, (std::vector<std::string>{"1", "6", "3", "5", "0", "4", "2"}));
  TConfigNodes none;
  EXPECT_TRUE(TvxConfigManager::SortNodes(none));
}

TEST_P(ConfigMaintenance, RenamingRefusesEmptyAndTakenNamesAndForgetsTheOldKeys) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/r/a/b/c", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/r/sibling", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/r", u"prop", Variant(1)));
  const TIdType a = store->GetParentTreeId(u"/r/a", false, false);
  const TIdType c = store->GetParentTreeId(u"/r/a/b/c", false, false);

  struct Refused {
    const char16_t* Name;
    const char16_t* Message;
  } refused[] = {
      {u"", u"empty node names not allowed here!"},
      {u" \t\r\n", u"empty node names not allowed here!"},
      {u"sibling", u"configuration node with name sibling already exists!"},
      {u"prop", u"configuration node with name prop already exists!"},
      {u"a", u"configuration node with name a already exists!"},
  };
  for (const Refused& r : refused) {
    EXPECT_FALSE(store->RenameKeyById(a, r.Name)) << Text(r.Name);
    EXPECT_EQ(store->Message.Get(), r.Message);
  }
  store->RaiseExceptions = true;
  EXPECT_THROW(store->RenameKeyById(a, u" "), Exception);
  // The taken name is refused without an exception.
  EXPECT_FALSE(store->RenameKeyById(a, u"sibling"));
  store->RaiseExceptions = false;
  EXPECT_EQ(store->GetParentTreeId(u"/r/a/b/c", false, false), c);

  // Letter case counts; every cached key below the old name is gone.
  TIdType cached;
  ASSERT_TRUE(store->GetCacheKeyId(u"r/a/b/c/", cached, false));
  EXPECT_TRUE(store->RenameKey(u"/r/a", u"A"));
  EXPECT_EQ(store->Message.Get(), u"");
  EXPECT_FALSE(store->GetCacheKeyId(u"r/a/b/c/", cached, false));
  EXPECT_TRUE(store->GetParentTreeId(u"/r/a/b/c", false, false).IsEmpty());
  EXPECT_EQ(store->GetParentTreeId(u"/r/A/b/c", false, false), c);
  EXPECT_EQ(TvxConfigManager::Convert2VisKey(store->GetKeyNameByNodeId(c)), u"/r/A/b/c");

  // "%2F" stands for "/" and so does "/" itself: the name holds it.
  EXPECT_TRUE(store->RenameKeyById(a, u"in%2Fout"));
  EXPECT_EQ(Database().Count(u"KEYNAME = 'in/out' AND DATATYPE = 'TREE'"), 1);
  EXPECT_EQ(store->GetParentTreeId(u"/r/in%2Fout/b", false, false), store->GetParentTreeId(u"r/in%2Fout/b/", false, false));
  EXPECT_FALSE(store->GetParentTreeId(u"/r/in%2Fout/b", false, false).IsEmpty());
  EXPECT_FALSE(store->RenameKeyById(store->GetParentTreeId(u"/r/sibling", false, false), u"in/out"));

  // An id that is no row: nothing to rename, nothing refused.
  const int64_t rows = Database().Count();
  EXPECT_TRUE(store->RenameKeyById(TIdType("NOSUCHID"), u"x"));
  EXPECT_EQ(Database().Count(), rows);
  // A name the table cannot hold fails clearly and changes nothing.
  EXPECT_FALSE(store->RenameKeyById(a, ustring(300, u'n')));
  EXPECT_FALSE(store->Message.Get().empty());
  EXPECT_EQ(Database().Count(u"KEYNAME = 'in/out'"), 1);
}

TEST_P(ConfigMaintenance, RenamingARootSeesRootsWhoseParentIsNull) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/first", u"v", Variant(1)));
  Database().Execute(
      u"INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) VALUES ('NULLROOT', NULL, 'second', 'TREE', '')");
  EXPECT_FALSE(store->RenameKey(u"/first", u"second"));
  EXPECT_EQ(store->Message.Get(), u"configuration node with name second already exists!");
  EXPECT_FALSE(store->RenameKeyById(TIdType("NULLROOT"), u"first"));
  EXPECT_EQ(store->Message.Get(), u"configuration node with name first already exists!");
  EXPECT_TRUE(store->RenameKeyById(TIdType("NULLROOT"), u"third"));
  EXPECT_EQ(store->GetParentTreeId(u"/third", false, false), TIdType("NULLROOT"));

  // The root itself is no node; a missing node leaves Message as it was.
  EXPECT_FALSE(store->RenameKey(u"/", u"x"));
  EXPECT_EQ(store->Message.Get(), u"the root of the configuration tree cannot be renamed");
  store->Message = u"before";
  EXPECT_FALSE(store->RenameKey(u"/missing", u"x"));
  EXPECT_EQ(store->Message.Get(), u"before");
}

// --- Search ---------------------------------------------------------------------------

std::vector<ustring> HitNames(const TSearchResults& Results) {
  std::vector<ustring> names;
  for (const TSearchResult& r : Results) names.push_back(r.Name.empty() ? u"[" + r.Key + u"]" : r.Name);
  return names;
}

TEST_P(ConfigMaintenance, SearchFindsNamesAndValuesIgnoringLetterCase) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/s/abcnode", u"plain", Variant(u"nothing")));
  ASSERT_TRUE(store->SetConfigValue(u"/s", u"xABCx", Variant(u"name hit")));
  ASSERT_TRUE(store->SetConfigValue(u"/s", u"value", Variant(u"has aBc inside")));
  ASSERT_TRUE(store->SetConfigValue(u"/s", u"binary", Variant(u"abc"), "BINARY"));
  ASSERT_TRUE(store->SetConfigValue(u"/s", u"none", Variant(u"ab c")));
  TSearchResults results;
  ASSERT_TRUE(store->Search(u"abc", 0, results)) << Text(store->Message.Get());
  EXPECT_EQ(HitNames(results), (std::vector<ustring>{u"[/s/abcnode]", u"value", u"xABCx"}));
  EXPECT_EQ(results[0].Name, u"");
  EXPECT_EQ(results[0].Id, store->GetParentTreeId(u"/s/abcnode", false, false));
  EXPECT_EQ(results[1].Key, u"/s");
  EXPECT_EQ(results[1].Value, u"has aBc inside");
  EXPECT_EQ(results[1].Id, PropertyId(Database(), *store, u"/s", u"value"));
  EXPECT_EQ(store->Message.Get(), u"");

  ASSERT_TRUE(store->Search(u"abc", 1, results));
  EXPECT_EQ(results.size(), 1u);

  // The empty term: every row but the binary ones.
  ASSERT_TRUE(store->Search(u"", 0, results));
  EXPECT_EQ(static_cast<int64_t>(results.size()), Database().Count(u"DATATYPE <> 'BINARY'"));
}

TEST_P(ConfigMaintenance, SearchTermsAreTextWithStarsOnly) {
  auto store = OpenStore();
  const char16_t* values[] = {u"100%",    u"100x",     u"a_b",     u"axb",   u"ab\\cd", u"abXXyz", u"xabyz",
                              u"\u017Ftra\u00DFe", u"\u0131nfo", u"\u00C9t\u00E9", u"'; DROP TABLE vx_configuration; --"};
  for (size_t i = 0; i < std::size(values); ++i)
    ASSERT_TRUE(store->SetConfigValue(u"/t", u"v" + Utf8ToWide(std::to_string(i)), Variant(ustring(values[i]))));
  struct Case {
    const char16_t* Term;
    std::vector<ustring> Values;
  } cases[] = {
      {u"100%", {u"100%"}},
      {u"a_b", {u"a_b"}},
      {u"b\\c", {u"ab\\cd"}},
      {u"ab*yz", {u"abXXyz"}},
      {u"*yz", {u"abXXyz", u"xabyz"}},
      {u"STRA", {u"\u017Ftra\u00DFe"}},
      {u"INFO", {u"\u0131nfo"}},
      {u"\u00E9T\u00C9", {u"\u00C9t\u00E9"}},
      {u"DROP TABLE", {u"'; DROP TABLE vx_configuration; --"}},
      {u"%", {u"100%"}},
      {u"_", {u"a_b", u"'; DROP TABLE vx_configuration; --"}},
  };
  for (const Case& c : cases) {
    TSearchResults results;
    ASSERT_TRUE(store->Search(c.Term, 0, results)) << Text(c.Term) << " " << Text(store->Message.Get());
    std::vector<ustring> found;
    for (const TSearchResult& r : results)
      if (r.Key == u"/t") found.push_back(r.Value);
    std::sort(found.begin(), found.end());
    std::vector<ustring> expected = c.Values;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected) << Text(c.Term);
  }
  EXPECT_EQ(Database().Count(u"KEYNAME LIKE 'v%' AND DATATYPE = 'UCS4STR'"), static_cast<int64_t>(std::size(values)));
}

TEST_P(ConfigMaintenance, ALongValueIsShownAroundItsMatch) {
  auto store = OpenStore();
  ustring value;
  for (int i = 1; i <= 200; ++i) value += static_cast<char16_t>(u'a' + i % 7);
  value.replace(119, 6, u"NEEDLE");  // the match starts at character 120
  ASSERT_TRUE(store->SetConfigValue(u"/long", u"v", Variant(value)));
  TSearchResults results;
  ASSERT_TRUE(store->Search(u"needle", 0, results));
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Value, u"..." + value.substr(99, 50) + u"...");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigMaintenance, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

// --- Patterns without a database ---------------------------------------------------

TEST(ConfigPatterns, SearchTermsMatchWithStarsAndWithoutLetterCase) {
  struct Case {
    const char16_t* Term;
    const char16_t* Text;
    bool Match;
  } cases[] = {
      {u"", u"", true},          {u"", u"anything", true},    {u"abc", u"xxABCxx", true},
      {u"abc", u"ab", false},    {u"a*c", u"abbbc", true},    {u"a*c", u"xabc", false},
      {u"a*c", u"abcx", false},  {u"*c", u"abc", true},       {u"a*", u"abc", true},
      {u"*", u"", true},         {u"a*b*c", u"aXbYc", true},  {u"a*b*c", u"aXcYb", false},
      {u"ab*ba", u"aba", false}, {u"ab*ba", u"abba", true},   {u"%", u"100%", true},
      {u"%", u"100", false},     {u"_", u"a", false},         {u"\u0131", u"I", true},
      {u"S", u"\u017F", true},   {u"\U0001F600", u"x\U0001F600", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vxConfigPatterns::TSearchTerm(c.Term).Matches(c.Text), c.Match) << Text(c.Term) << " / " << Text(c.Text);
  EXPECT_EQ(vxConfigPatterns::TSearchTerm(u"a*b").Plain(), u"ab");
  EXPECT_EQ(vxConfigPatterns::TSearchTerm(u"abc").LikePattern(), u"%abc%");
  EXPECT_EQ(vxConfigPatterns::TSearchTerm(u"a*b").LikePattern(), u"a%b");
  // Characters a database would compare otherwise stand as "_".
  EXPECT_EQ(vxConfigPatterns::TSearchTerm(u"I%_\\\u00e9\U0001F600x").LikePattern(), u"%_____\U0001F600x%");
  EXPECT_EQ(vxConfigPatterns::PrefixLikePattern(u"a%_\\b"), u"a___b%");
}

TEST(ConfigPatterns, AnExcerptNeverCutsAPair) {
  const ustring shortValue(50, u'x');
  EXPECT_EQ(vxConfigPatterns::SearchExcerpt(shortValue, u"zz"), shortValue);
  ustring value(49, u'x');
  value += u"\U0001F600";  // code units 50 and 51
  value += ustring(40, u'y');
  EXPECT_EQ(vxConfigPatterns::SearchExcerpt(value, u"none"), value.substr(0, 51) + u"...");
  EXPECT_EQ(vxConfigPatterns::SearchExcerpt(value, u""), value.substr(0, 51) + u"...");
}

}  // namespace
