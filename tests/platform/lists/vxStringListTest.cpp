// The string list, run for both item types: 8-bit and UTF-16. The cases are
// written as 8-bit text; the UTF-16 runs see the same text converted from
// Windows-1252.
#include "platform/lists/vxStringList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxStream.h"
#include "support/vxTestTempDir.h"

namespace {

using Items = std::vector<std::string>;

const std::string kIndexError = "Listenindex \xC3\xBC" "berschreitet das Maximum (";
const std::string kSortedError = "Operation f\xC3\xBCr sortierte Listen nicht zul\xC3\xA4ssig";
const std::string kDuplicatesError = "In der Stringliste sind Duplikate nicht erlaubt";

std::string IndexError(int index) { return kIndexError + std::to_string(index) + ")"; }

template <class Ch>
std::basic_string<Ch> T(std::string_view s) {
  if constexpr (std::is_same_v<Ch, char>)
    return std::string(s);
  else
    return AnsiToWide(s);
}

template <class Ch>
std::string A(const std::basic_string<Ch>& s) {
  if constexpr (std::is_same_v<Ch, char>)
    return s;
  else
    return WideToAnsi(s);
}

template <class Ch>
Items ItemsOf(const TStringsT<Ch>& list) {
  Items items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(A<Ch>(list[i]));
  return items;
}

template <class Ch>
void Fill(TStringsT<Ch>& list, const Items& items) {
  for (const auto& s : items) list.Add(T<Ch>(s));
}

// The message of the EStringListError that f raises, as UTF-8; empty when
// it raises none.
std::string ListErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EStringListError& e) {
    return e.what();
  }
  return {};
}

class TNamed : public TObject {
 public:
  explicit TNamed(int id) : Id(id) {}
  int Id;
};

struct TypeNames {
  template <class Ch>
  static std::string GetName(int) {
    return std::is_same_v<Ch, char> ? "Ansi" : "Wide";
  }
};

}  // namespace

template <class Ch>
class StringList : public testing::Test {
 protected:
  using List = TStringListT<Ch>;
  static std::basic_string<Ch> S(std::string_view s) { return T<Ch>(s); }
};

using CharTypes = testing::Types<char, char16_t>;
TYPED_TEST_SUITE(StringList, CharTypes, TypeNames);

TYPED_TEST(StringList, ANewListIsEmptyWithDefaults) {
  typename TestFixture::List list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_TRUE(list.Text().empty());
  EXPECT_TRUE(list.CommaText().empty());
  EXPECT_EQ(list.Delimiter(), TypeParam(','));
  EXPECT_EQ(list.QuoteChar(), TypeParam('"'));
  EXPECT_EQ(list.NameValueSeparator(), TypeParam('='));
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(list.Duplicates(), dupIgnore);
  EXPECT_FALSE(list.CaseSensitive());
}

TYPED_TEST(StringList, CapacityGrowsInItsSteps) {
  typename TestFixture::List list;
  std::vector<int32_t> steps;
  for (int i = 0; i < 119; ++i) {
    list.Add(TestFixture::S("x"));
    if (steps.empty() || steps.back() != list.Capacity()) steps.push_back(list.Capacity());
  }
  EXPECT_EQ(steps, (std::vector<int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
  list.Delete(0);
  list.Delete(0);
  EXPECT_EQ(list.Capacity(), 147);  // Delete never lowers it
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TYPED_TEST(StringList, SettingTheCapacityNeverDropsItems) {
  typename TestFixture::List list;
  Fill<TypeParam>(list, {"a", "b", "c"});
  struct Case {
    int32_t requested, expected;
  } cases[] = {{100, 100}, {10, 10}, {2, 3}, {0, 3}, {-5, 3}, {3, 3}};
  for (const Case& c : cases) {
    list.SetCapacity(c.requested);
    EXPECT_EQ(list.Capacity(), c.expected) << c.requested;
    EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"a", "b", "c"}));
  }
  list.Add(TestFixture::S("d"));  // full at 3: grows by 4
  EXPECT_EQ(list.Capacity(), 7);
}

TYPED_TEST(StringList, SortedListsAndDuplicates) {
  struct Case {
    const char* name;
    bool caseSensitive;
    TDuplicates duplicates;
    Items adds;
    Items expected;
    std::vector<int32_t> results;  // what each Add returned
    std::string error;             // raised by the last Add
  } cases[] = {
      {"ignore, insensitive", false, dupIgnore, {"b", "A", "a"}, {"A", "b"}, {0, 0, 0}, ""},
      {"ignore, sensitive", true, dupIgnore, {"b", "A", "a"}, {"a", "A", "b"}, {0, 0, 0}, ""},
      {"accept goes first", false, dupAccept, {"a", "b", "A"}, {"A", "a", "b"}, {0, 1, 0}, ""},
      {"accept, sensitive", true, dupAccept, {"b", "a", "b"}, {"a", "b", "b"}, {0, 0, 1}, ""},
      {"error", false, dupError, {"a", "b", "A"}, {"a", "b"}, {0, 1}, kDuplicatesError},
      {"error, sensitive", true, dupError, {"a", "A"}, {"a", "A"}, {0, 1}, ""},
      {"linguistic order", false, dupIgnore, {"b", "\xC4", "a", "C"}, {"a", "\xC4", "b", "C"}, {0, 0, 0, 3}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    typename TestFixture::List list;
    list.SetSorted(true);
    list.SetCaseSensitive(c.caseSensitive);
    list.SetDuplicates(c.duplicates);
    std::vector<int32_t> results;
    std::string error;
    for (const auto& s : c.adds) error = ListErrorOf([&] { results.push_back(list.Add(TestFixture::S(s))); });
    EXPECT_EQ(ItemsOf<TypeParam>(list), c.expected);
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(error, c.error);
  }
}

TYPED_TEST(StringList, FindGivesTheFirstOfEqualItemsWithDupAccept) {
  typename TestFixture::List list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  Fill<TypeParam>(list, {"m", "a", "M", "z", "m"});
  int32_t index = -1;
  EXPECT_TRUE(list.Find(TestFixture::S("M"), index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.IndexOf(TestFixture::S("m")), 1);
  EXPECT_FALSE(list.Find(TestFixture::S("n"), index));
  EXPECT_EQ(index, 4);  // where it would go
  EXPECT_FALSE(list.Find(TestFixture::S("0"), index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(list.IndexOf(TestFixture::S("n")), -1);
}

TYPED_TEST(StringList, InsertChecksSortedFirstThenTheIndex) {
  struct Case {
    bool sorted;
    int32_t index;
    std::string error;
    Items expected;
  } cases[] = {
      {false, 2, "", {"a", "b", "new"}},
      {false, 0, "", {"new", "a", "b"}},
      {false, 3, IndexError(3), {"a", "b"}},
      {false, -1, IndexError(-1), {"a", "b"}},
      {true, 0, kSortedError, {"a", "b"}},
      {true, 7, kSortedError, {"a", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sorted << " " << c.index);
    typename TestFixture::List list;
    Fill<TypeParam>(list, {"a", "b"});
    list.SetSorted(c.sorted);
    int notices = 0;
    list.SetOnChange([&](auto&) { ++notices; });
    EXPECT_EQ(ListErrorOf([&] { list.Insert(c.index, TestFixture::S("new")); }), c.error);
    EXPECT_EQ(ItemsOf<TypeParam>(list), c.expected);
    EXPECT_EQ(notices, c.error.empty() ? 1 : 0);
  }
}

TYPED_TEST(StringList, IndexChecksNameTheIndex) {
  using List = typename TestFixture::List;
  TNamed object(1);
  struct Case {
    const char* name;
    std::function<void(List&)> action;
    std::string error;
  } cases[] = {
      {"Strings[Count]", [](List& l) { (void)l[2]; }, IndexError(2)},
      {"Objects[-1]", [](List& l) { (void)l.Objects(-1); }, IndexError(-1)},
      {"Put", [](List& l) { l.Put(5, T<TypeParam>("x")); }, IndexError(5)},
      {"PutObject", [&](List& l) { l.PutObject(-1, &object); }, IndexError(-1)},
      {"Delete", [](List& l) { l.Delete(2); }, IndexError(2)},
      {"Exchange second", [](List& l) { l.Exchange(0, 9); }, IndexError(9)},
      {"Exchange first", [](List& l) { l.Exchange(8, 9); }, IndexError(8)},
      {"Names", [](List& l) { (void)l.Names(2); }, IndexError(2)},
      {"ValueFromIndex", [](List& l) { (void)l.ValueFromIndex(2); }, IndexError(2)},
      {"SetValueFromIndex", [](List& l) { l.SetValueFromIndex(2, T<TypeParam>("v")); }, IndexError(2)},
      {"Move to Count", [](List& l) { l.Move(0, 2); }, IndexError(2)},
      {"Move from -1", [](List& l) { l.Move(-1, 0); }, IndexError(-1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List list;
    Fill<TypeParam>(list, {"a", "b"});
    EXPECT_EQ(ListErrorOf([&] { c.action(list); }), c.error);
    EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"a", "b"}));
    EXPECT_EQ(list.Objects(0), nullptr);
  }
}

TYPED_TEST(StringList, SortedListsRefuseWhatWouldBreakTheirOrder) {
  using List = typename TestFixture::List;
  struct Case {
    const char* name;
    std::function<void(List&)> action;
  } cases[] = {
      {"Put", [](List& l) { l.Put(0, T<TypeParam>("z")); }},
      {"InsertObject", [](List& l) { l.InsertObject(0, T<TypeParam>("z"), nullptr); }},
      {"Move", [](List& l) { l.Move(0, 2); }},
      {"SetValue of a new name", [](List& l) { l.SetValue(T<TypeParam>("new"), T<TypeParam>("1")); }},
      {"SetValue of a name", [](List& l) { l.SetValue(T<TypeParam>("k"), T<TypeParam>("2")); }},
      {"SetValueFromIndex", [](List& l) { l.SetValueFromIndex(1, T<TypeParam>("2")); }},
      {"SetValueFromIndex -1", [](List& l) { l.SetValueFromIndex(-1, T<TypeParam>("2")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List list;
    list.SetSorted(true);
    Fill<TypeParam>(list, {"a", "k=1", "m"});
    EXPECT_EQ(ListErrorOf([&] { c.action(list); }), kSortedError);
    EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"a", "k=1", "m"}));
  }
  // A wrong index is met before the re-insertion, so it is what fails.
  struct WrongIndex {
    const char* name;
    std::function<void(List&)> action;
    std::string error;
  } wrongIndexes[] = {
      {"Move from -1", [](List& l) { l.Move(-1, 0); }, IndexError(-1)},
      {"SetValueFromIndex 3", [](List& l) { l.SetValueFromIndex(3, T<TypeParam>("2")); }, IndexError(3)},
  };
  for (const WrongIndex& c : wrongIndexes) {
    SCOPED_TRACE(c.name);
    List list;
    list.SetSorted(true);
    Fill<TypeParam>(list, {"a", "k=1", "m"});
    EXPECT_EQ(ListErrorOf([&] { c.action(list); }), c.error);
    EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"a", "k=1", "m"}));
  }
  // What keeps the order is allowed.
  List list;
  list.SetSorted(true);
  Fill<TypeParam>(list, {"a", "k=1", "m"});
  TNamed object(7);
  list.PutObject(1, &object);
  EXPECT_EQ(list.Objects(1), &object);
  list.SetValue(TestFixture::S("K"), {});  // an empty value deletes
  list.Exchange(0, 1);                     // not refused
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"m", "a"}));
}

TYPED_TEST(StringList, TextGetter) {
  struct Case {
    Items items;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {{""}, "\r\n"},
      {{std::string("x\0y", 3)}, std::string("x\0y\r\n", 5)},
  };
  for (const Case& c : cases) {
    typename TestFixture::List list;
    Fill<TypeParam>(list, c.items);
    EXPECT_EQ(A<TypeParam>(list.Text()), c.text);
    const auto buffer = list.GetText();
    EXPECT_EQ(std::basic_string<TypeParam>(buffer.get(), c.text.size()), T<TypeParam>(c.text));
    EXPECT_EQ(buffer[c.text.size()], TypeParam(0));
  }
}

TYPED_TEST(StringList, TextSetter) {
  struct Case {
    std::string text;
    Items items;
  } cases[] = {
      {"x\r\ny", {"x", "y"}},
      {"x\n\n", {"x", ""}},
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      // A NUL is an ordinary character: nothing after it is lost.
      {std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    typename TestFixture::List list;
    Fill<TypeParam>(list, {"old"});
    list.SetText(T<TypeParam>(c.text));
    EXPECT_EQ(ItemsOf<TypeParam>(list), c.items);
  }
  typename TestFixture::List list;
  Fill<TypeParam>(list, {"old"});
  list.SetText(static_cast<const TypeParam*>(nullptr));
  EXPECT_EQ(list.Count(), 0);
  const auto buffer = T<TypeParam>(std::string("p\r\nq\0r", 6));
  list.SetText(buffer.c_str());  // a buffer ends at its NUL
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"p", "q"}));
}

TYPED_TEST(StringList, CommaTextGetter) {
  struct Case {
    Items items;
    std::string text;
  } cases[] = {
      {{"a b", "c,d", "g", "h\"i"}, "\"a b\",\"c,d\",g,\"h\"\"i\""},
      {{""}, "\"\""},
      {{"", ""}, ","},
      {{}, ""},
      {{"a", "", "b"}, "a,,b"},
      {{"tab\there"}, "\"tab\there\""},
      {{"\xE4\xF6\xFC", "\x80"}, "\xE4\xF6\xFC,\x80"},
      {{std::string("n\0l", 3)}, std::string("\"n\0l\"", 5)},
  };
  for (const Case& c : cases) {
    typename TestFixture::List list;
    Fill<TypeParam>(list, c.items);
    EXPECT_EQ(A<TypeParam>(list.CommaText()), c.text);
    // Reading the text back gives the same items.
    typename TestFixture::List back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(ItemsOf<TypeParam>(back), c.items);
  }
}

TYPED_TEST(StringList, CommaTextSetter) {
  struct Case {
    std::string text;
    Items items;
  } cases[] = {
      {"a b,c", {"a", "b", "c"}},
      {"a,", {"a", ""}},
      {"", {}},
      {"   ", {}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"\"x y\", z", {"x y", "z"}},
      {",a", {"", "a"}},
      {"a,,b", {"a", "", "b"}},
      {"\"open", {"open"}},
      {"  a  ,  b  ", {"a", "b"}},
      {"a, ", {"a"}},
      {"\"a\"b", {"a", "b"}},
      {"\"\"", {""}},
      {"\xE4\xF6,\xFC", {"\xE4\xF6", "\xFC"}},
      {"a\tb\r\nc", {"a", "b", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    typename TestFixture::List list;
    Fill<TypeParam>(list, {"old"});
    list.SetCommaText(T<TypeParam>(c.text));
    EXPECT_EQ(ItemsOf<TypeParam>(list), c.items);
  }
}

TYPED_TEST(StringList, DelimitedTextUsesTheListsCharacters) {
  typename TestFixture::List list;
  list.SetDelimiter(TypeParam(';'));
  list.SetQuoteChar(TypeParam('\''));
  Fill<TypeParam>(list, {"a;b", "c'd", "e", "f,g"});
  EXPECT_EQ(A<TypeParam>(list.DelimitedText()), "'a;b';'c''d';e;f,g");
  EXPECT_EQ(A<TypeParam>(list.CommaText()), "a;b,c'd,e,\"f,g\"");
  EXPECT_EQ(list.Delimiter(), TypeParam(';'));  // the comma text leaves them
  EXPECT_EQ(list.QuoteChar(), TypeParam('\''));
  list.SetDelimitedText(TestFixture::S("'x;y';z 'q'"));
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"x;y", "z", "q"}));
  list.SetCommaText(TestFixture::S("1,2"));  // sets comma and double quote for good
  EXPECT_EQ(list.Delimiter(), TypeParam(','));
  EXPECT_EQ(list.QuoteChar(), TypeParam('"'));
}

TYPED_TEST(StringList, NamesAndValues) {
  typename TestFixture::List list;
  Fill<TypeParam>(list, {"key", "key=1", "b=2=3", "=x", "c="});
  const auto S = [](std::string_view s) { return T<TypeParam>(s); };
  const Items names = {"", "key", "b", "", "c"};
  const Items fromIndex = {"", "1", "2=3", "x", ""};
  for (int32_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(A<TypeParam>(list.Names(i)), names[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(A<TypeParam>(list.ValueFromIndex(i)), fromIndex[static_cast<size_t>(i)]) << i;
  }
  EXPECT_EQ(list.ValueFromIndex(-1), S(""));
  struct Case {
    std::string name;
    int32_t index;
    std::string value;
  } cases[] = {
      {"KEY", 1, "1"},  // the item "key" has no separator and is never found by name
      {"key", 1, "1"},
      {"b", 2, "2=3"},
      {"", 3, "x"},
      {"c", 4, ""},
      {"missing", -1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list.IndexOfName(S(c.name)), c.index) << c.name;
    EXPECT_EQ(A<TypeParam>(list.Values(S(c.name))), c.value) << c.name;
  }
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOfName(S("KEY")), -1);
  EXPECT_EQ(list.Values(S("KEY")), S(""));
  list.SetNameValueSeparator(TypeParam(':'));
  list.Add(S("k:v"));
  EXPECT_EQ(list.Values(S("k")), S("v"));
  EXPECT_EQ(list.Names(1), S(""));
}

TYPED_TEST(StringList, ValueOfANameThatCollatesEqualButDiffersInLength) {
  // Soft hyphens (0xAD) and control characters are ignorable to the collation.
  typename TestFixture::List list;
  Fill<TypeParam>(list, {"ke\xAD" "y=value", "other=1", "name=2"});
  struct Case {
    std::string name, value;
  } cases[] = {
      {"key", "value"},        // the item's name is longer
      {"OTHER\x01\x01", "1"},  // the asked name is longer
      {"na\xADme", "2"},
  };
  for (const Case& c : cases) EXPECT_EQ(A<TypeParam>(list.Values(T<TypeParam>(c.name))), c.value) << c.name;
}

TEST(WideStringList, ValueOfANameWithALigature) {
  TStringList list;
  list.Add(u"\uFB01le=x");
  EXPECT_EQ(list.Values(u"FILE"), u"x");
  EXPECT_EQ(list.IndexOfName(u"file"), 0);
}

TYPED_TEST(StringList, SettingValues) {
  using List = typename TestFixture::List;
  struct Case {
    const char* name;
    std::function<void(List&)> action;
    Items expected;
  } cases[] = {
      {"empty value deletes", [](List& l) { l.SetValue(T<TypeParam>("k"), {}); }, {"m=2", "abc"}},
      {"missing name appends", [](List& l) { l.SetValue(T<TypeParam>("n"), T<TypeParam>("2")); },
       {"k=1", "m=2", "abc", "n=2"}},
      {"replaces in place", [](List& l) { l.SetValue(T<TypeParam>("K"), T<TypeParam>("3")); }, {"K=3", "m=2", "abc"}},
      {"missing name, empty value", [](List& l) { l.SetValue(T<TypeParam>("x"), {}); }, {"k=1", "m=2", "abc"}},
      {"by index", [](List& l) { l.SetValueFromIndex(1, T<TypeParam>("9")); }, {"k=1", "m=9", "abc"}},
      {"by index -1 appends", [](List& l) { l.SetValueFromIndex(-1, T<TypeParam>("v")); },
       {"k=1", "m=2", "abc", "=v"}},
      {"by index, empty deletes", [](List& l) { l.SetValueFromIndex(0, {}); }, {"m=2", "abc"}},
      {"by index -1, empty", [](List& l) { l.SetValueFromIndex(-1, {}); }, {"k=1", "m=2", "abc"}},
      {"item without separator keeps its text", [](List& l) { l.SetValueFromIndex(2, T<TypeParam>("v")); },
       {"k=1", "m=2", "abc=v"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List list;
    Fill<TypeParam>(list, {"k=1", "m=2", "abc"});
    c.action(list);
    EXPECT_EQ(ItemsOf<TypeParam>(list), c.expected);
  }
  // Setting a value keeps the item's object.
  List list;
  TNamed object(1);
  list.AddObject(T<TypeParam>("k=1"), &object);
  list.SetValue(T<TypeParam>("k"), T<TypeParam>("2"));
  EXPECT_EQ(list.Objects(0), &object);
}

TYPED_TEST(StringList, EqualsComparesExactly) {
  struct Case {
    Items a, b;
    bool equal;
  } cases[] = {
      {{"A"}, {"a"}, false},
      {{"a", "b"}, {"a", "b"}, true},
      {{"a"}, {"a", "b"}, false},
      {{}, {}, true},
      {{"Stra\xDF" "e"}, {"Strasse"}, false},
  };
  for (const Case& c : cases) {
    typename TestFixture::List a, b;
    Fill<TypeParam>(a, c.a);
    Fill<TypeParam>(b, c.b);
    EXPECT_EQ(a.Equals(b), c.equal);
    EXPECT_EQ(b.Equals(a), c.equal);
  }
  typename TestFixture::List a, b;
  TNamed object(1);
  a.AddObject(TestFixture::S("x"), &object);
  b.Add(TestFixture::S("x"));
  EXPECT_TRUE(a.Equals(b));  // objects do not count
}

TYPED_TEST(StringList, SortingAndCaseSensitivity) {
  typename TestFixture::List list;
  list.SetDuplicates(dupAccept);
  Fill<TypeParam>(list, {"b", "B", "a", "C", "A", "c"});
  int changes = 0;
  list.SetOnChange([&](auto&) { ++changes; });
  list.SetSorted(true);
  EXPECT_EQ(changes, 1);  // sorted once
  const auto isSorted = [&] {
    for (int32_t i = 0; i + 1 < list.Count(); ++i)
      if (list.CompareItems(list[i], list[i + 1]) > 0) return false;
    return true;
  };
  EXPECT_TRUE(isSorted());
  list.SetCaseSensitive(true);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"a", "A", "b", "B", "c", "C"}));
  list.SetCaseSensitive(false);
  EXPECT_TRUE(isSorted());
  list.SetSorted(true);  // no change, no sort
  list.Sort();           // a sorted list is not sorted again
  EXPECT_EQ(changes, 3);
  list.SetSorted(false);
  EXPECT_EQ(changes, 3);
  list.Insert(0, TestFixture::S("z"));
  EXPECT_EQ(A<TypeParam>(list[0]), "z");
}

TYPED_TEST(StringList, SortKeepsObjectsWithTheirItems) {
  typename TestFixture::List list;
  std::vector<std::unique_ptr<TNamed>> objects;
  Items added;
  std::mt19937 random(42);
  for (int i = 0; i < 500; ++i) {
    objects.push_back(std::make_unique<TNamed>(i));
    added.push_back(std::to_string(random() % 1000));
    list.AddObject(T<TypeParam>(added.back()), objects.back().get());
  }
  list.Sort();
  ASSERT_EQ(list.Count(), 500);
  for (int32_t i = 0; i < list.Count(); ++i) {
    const auto* object = static_cast<TNamed*>(list.Objects(i));
    ASSERT_NE(object, nullptr);
    // Each object still travels with the item it was added with.
    EXPECT_EQ(A<TypeParam>(list[i]), added[static_cast<size_t>(object->Id)]);
    if (i > 0) {
      EXPECT_LE(list.CompareItems(list[i - 1], list[i]), 0);
    }
  }
}

TYPED_TEST(StringList, CustomSort) {
  using List = typename TestFixture::List;
  List list;
  Fill<TypeParam>(list, {"ccc", "a", "bb", "dddd", ""});
  list.CustomSort([](List& l, int32_t i, int32_t j) {
    return static_cast<int>(l[i].size()) - static_cast<int>(l[j].size());
  });
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"", "a", "bb", "ccc", "dddd"}));
  // A comparison that contradicts itself reorders but loses and reads nothing
  // outside the list.
  for (int result : {-1, 1}) {
    List odd;
    Fill<TypeParam>(odd, {"e", "d", "c", "b", "a", "f", "g"});
    odd.CustomSort([result](List&, int32_t, int32_t) { return result; });
    Items items = ItemsOf<TypeParam>(odd);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (Items{"a", "b", "c", "d", "e", "f", "g"}));
  }
  // A sorted list keeps its order.
  List sorted;
  sorted.SetSorted(true);
  Fill<TypeParam>(sorted, {"b", "a"});
  sorted.CustomSort([](List&, int32_t i, int32_t j) { return j - i; });
  EXPECT_EQ(ItemsOf<TypeParam>(sorted), (Items{"a", "b"}));
}

TYPED_TEST(StringList, Notices) {
  using List = typename TestFixture::List;
  struct Case {
    const char* name;
    std::function<void(List&)> action;
    int notices;  // of each kind
  } cases[] = {
      {"Add", [](List& l) { l.Add(T<TypeParam>("c")); }, 1},
      {"AddStrings", [](List& l) {
         List other;
         Fill<TypeParam>(other, {"1", "2", "3", "4"});
         l.AddStrings(other);
       }, 1},
      {"Clear", [](List& l) { l.Clear(); }, 1},
      {"Delete", [](List& l) { l.Delete(0); }, 1},
      {"Exchange", [](List& l) { l.Exchange(0, 1); }, 1},
      {"Put", [](List& l) { l.Put(0, T<TypeParam>("x")); }, 1},
      {"PutObject", [](List& l) { l.PutObject(0, nullptr); }, 1},
      {"Text", [](List& l) { l.SetText(T<TypeParam>("x\r\ny\r\nz")); }, 1},
      {"CommaText", [](List& l) { l.SetCommaText(T<TypeParam>("x,y")); }, 1},
      {"Sort", [](List& l) { l.Sort(); }, 1},
      {"Move", [](List& l) { l.Move(0, 1); }, 1},
      {"SetValue", [](List& l) { l.SetValue(T<TypeParam>("n"), T<TypeParam>("v")); }, 2},  // Add, then Put
      {"failed Insert", [](List& l) { ListErrorOf([&] { l.Insert(9, T<TypeParam>("x")); }); }, 0},
      {"nested brackets", [](List& l) {
         l.BeginUpdate();
         l.BeginUpdate();
         l.Add(T<TypeParam>("x"));
         l.EndUpdate();
         l.Delete(0);
         l.EndUpdate();
       }, 1},
      {"LoadFromStream", [](List& l) {
         TMemoryStream s(std::string("p\r\nq\r\n"));
         l.LoadFromStream(s);
       }, 1},
      {"Assign", [](List& l) {
         List other;
         Fill<TypeParam>(other, {"1", "2"});
         l.Assign(other);
       }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List list;
    Fill<TypeParam>(list, {"b", "a"});
    int changing = 0, changed = 0;
    list.SetOnChanging([&](List& sender) {
      EXPECT_EQ(&sender, &list);
      ++changing;
    });
    list.SetOnChange([&](List& sender) {
      EXPECT_EQ(&sender, &list);
      ++changed;
    });
    c.action(list);
    EXPECT_EQ(changing, c.notices);
    EXPECT_EQ(changed, c.notices);
  }
}

TYPED_TEST(StringList, ClearOfAnEmptyListSendsNoNotice) {
  typename TestFixture::List list;
  int notices = 0;
  list.SetOnChanging([&](auto&) { ++notices; });
  list.SetOnChange([&](auto&) { ++notices; });
  list.Clear();
  EXPECT_EQ(notices, 0);
}

TYPED_TEST(StringList, UnbalancedEndUpdateSilencesNoticesUntilBalanced) {
  typename TestFixture::List list;
  int changed = 0;
  list.SetOnChange([&](auto&) { ++changed; });
  list.EndUpdate();  // depth -1
  list.Add(TestFixture::S("a"));
  EXPECT_EQ(changed, 0);
  list.BeginUpdate();  // back to 0, not from 0: no notice
  list.Add(TestFixture::S("b"));
  EXPECT_EQ(changed, 1);
}

TYPED_TEST(StringList, NoticesStopBeforeTheListGoes) {
  int changed = 0;
  {
    typename TestFixture::List list;
    Fill<TypeParam>(list, {"a"});
    list.SetOnChange([&](auto&) { ++changed; });
  }
  EXPECT_EQ(changed, 0);
}

TYPED_TEST(StringList, MoveCarriesTheObject) {
  typename TestFixture::List list;
  TNamed a(1), c(3);
  list.AddObject(TestFixture::S("a"), &a);
  list.Add(TestFixture::S("b"));
  list.AddObject(TestFixture::S("c"), &c);
  list.Move(0, 2);
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"b", "c", "a"}));
  EXPECT_EQ(list.Objects(2), &a);
  list.Move(2, 0);
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"a", "b", "c"}));
  list.Move(1, 1);
  list.Move(7, 7);  // equal indexes: nothing, not even a check
  list.Exchange(0, 2);
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"c", "b", "a"}));
  EXPECT_EQ(list.Objects(0), &c);
  EXPECT_EQ(list.Objects(2), &a);
  EXPECT_EQ(list.IndexOfObject(&a), 2);
  EXPECT_EQ(list.IndexOfObject(nullptr), 1);
}

TYPED_TEST(StringList, AssignAndAddStrings) {
  typename TestFixture::List source, target;
  TNamed object(1);
  source.SetDelimiter(TypeParam(';'));
  source.SetNameValueSeparator(TypeParam(':'));
  source.AddObject(TestFixture::S("a"), &object);
  source.Add(TestFixture::S("b"));
  Fill<TypeParam>(target, {"old"});
  target.Assign(source);
  EXPECT_EQ(ItemsOf<TypeParam>(target), (Items{"a", "b"}));
  EXPECT_EQ(target.Objects(0), &object);
  EXPECT_EQ(target.Delimiter(), TypeParam(';'));
  EXPECT_EQ(target.NameValueSeparator(), TypeParam(':'));
  EXPECT_EQ(target.QuoteChar(), TypeParam('"'));
  target.Assign(target);  // a list assigned to itself keeps its items
  EXPECT_EQ(ItemsOf<TypeParam>(target), (Items{"a", "b"}));
  target.AddStrings(target);
  EXPECT_EQ(ItemsOf<TypeParam>(target), (Items{"a", "b", "a", "b"}));
  EXPECT_EQ(target.Objects(2), &object);
  // Into a sorted list each item finds its place.
  typename TestFixture::List sorted;
  sorted.SetSorted(true);
  sorted.AddStrings(target);
  EXPECT_EQ(ItemsOf<TypeParam>(sorted), (Items{"a", "b"}));
}

TYPED_TEST(StringList, IndexOf) {
  typename TestFixture::List list;
  Fill<TypeParam>(list, {"b", "A", "a", "\xC4"});
  EXPECT_EQ(list.IndexOf(TestFixture::S("a")), 1);  // the first equal one, ignoring case
  EXPECT_EQ(list.IndexOf(TestFixture::S("\xE4")), 3);
  EXPECT_EQ(list.IndexOf(TestFixture::S("c")), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(TestFixture::S("a")), 2);
}

namespace {

template <class Ch>
class TRecordingAdapter : public IStringsAdapterT<Ch> {
 public:
  void AttachStrings(TStringsT<Ch>& Strings) override { Log += "attach " + std::to_string(Strings.Count()) + ";"; }
  void DetachStrings() override { Log += "detach;"; }
  std::string Log;
};

}  // namespace

TYPED_TEST(StringList, StringsAdapterIsAttachedAndDetached) {
  auto first = std::make_shared<TRecordingAdapter<TypeParam>>();
  auto second = std::make_shared<TRecordingAdapter<TypeParam>>();
  {
    typename TestFixture::List list;
    Fill<TypeParam>(list, {"a"});
    list.SetStringsAdapter(first);
    EXPECT_EQ(list.StringsAdapter(), first);
    list.SetStringsAdapter(second);
    EXPECT_EQ(first->Log, "attach 1;detach;");
    EXPECT_EQ(second->Log, "attach 1;");
  }
  EXPECT_EQ(second->Log, "attach 1;detach;");
}

TYPED_TEST(StringList, SaveAndLoadThroughRealFiles) {
  TTestTempDir dir;
  const Items items = {"first", "", "  blanks  ", "a,b=\"c\"", "last"};
  typename TestFixture::List list;
  Fill<TypeParam>(list, items);
  list.SaveToFile(dir.WideFile("list.txt"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("list.txt")), "first\r\n\r\n  blanks  \r\na,b=\"c\"\r\nlast\r\n");
  typename TestFixture::List back;
  Fill<TypeParam>(back, {"old"});
  back.LoadFromFile(dir.WideFile("list.txt"));
  EXPECT_EQ(ItemsOf<TypeParam>(back), items);

  // Saving again replaces the file and leaves nothing else in the folder.
  back.Delete(0);
  back.SaveToFile(dir.WideFile("list.txt"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("list.txt")), "\r\n  blanks  \r\na,b=\"c\"\r\nlast\r\n");
  EXPECT_EQ(dir.Listing(), "list.txt;");

  // Lines may end in CR LF, LF or CR.
  TTestTempDir::WriteBytes(dir.File("mixed.txt"), "a\nb\rc\r\nd");
  back.LoadFromFile(dir.WideFile("mixed.txt"));
  EXPECT_EQ(ItemsOf<TypeParam>(back), (Items{"a", "b", "c", "d"}));

  // An empty list saves an empty file.
  typename TestFixture::List empty;
  empty.SaveToFile(dir.WideFile("empty.txt"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("empty.txt")), "");
}

TYPED_TEST(StringList, FileErrors) {
  TTestTempDir dir;
  typename TestFixture::List list;
  Fill<TypeParam>(list, {"keep"});
  try {
    list.LoadFromFile(dir.WideFile("missing.txt"));
    ADD_FAILURE() << "loading a missing file succeeded";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
  }
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"keep"}));
  EXPECT_THROW(list.SaveToFile(dir.WideFile("no/folder.txt")), EOSError);
  EXPECT_EQ(dir.Listing(), "");
  // A short write fails with the stream's write error.
  TFileStream full(u"/dev/full", fmOpenWrite);
  EXPECT_THROW(list.SaveToStream(full), EWriteError);
}

TYPED_TEST(StringList, LoadFromStreamReadsFromThePosition) {
  TMemoryStream stream(std::string("skip|x\r\ny"));
  stream.SetPosition(5);
  typename TestFixture::List list;
  list.LoadFromStream(stream);
  EXPECT_EQ(ItemsOf<TypeParam>(list), (Items{"x", "y"}));
  TMemoryStream out;
  out.WriteBuffer(std::string("head:"));
  list.SaveToStream(out);
  EXPECT_EQ(out.DataString(), "head:x\r\ny\r\n");
}

TYPED_TEST(StringList, ListsInSeveralThreads) {
  // Each thread sorts its own list; the comparison they share is safe.
  std::vector<Items> results(6);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&results, t] {
      typename TestFixture::List list;
      list.SetSorted(true);
      for (int i = 0; i < 300; ++i) list.Add(T<TypeParam>(std::to_string((i * 7919 + static_cast<int>(t)) % 300)));
      results[t] = ItemsOf<TypeParam>(list);
    });
  }
  for (auto& th : threads) th.join();
  for (const Items& r : results) EXPECT_EQ(r, results[0]);
  EXPECT_EQ(results[0].size(), 300u);
}

// --- The UTF-16 list's files -------------------------------------------------

TEST(WideStringList, SavesWindows1252WhenItKeepsEveryCharacterElseWithAMark) {
  TTestTempDir dir;
  struct Case {
    std::u16string item;
    std::string bytes;
  } cases[] = {
      {u"abc", "abc\r\n"},
      {u"\u00E4\u00F6\u00FC\u20AC", "\xE4\xF6\xFC\x80\r\n"},
      {u"\u0416x", "\xEF\xBB\xBF\xD0\x96x\r\n"},
      {u"\U0001F600", "\xEF\xBB\xBF\xF0\x9F\x98\x80\r\n"},
      // Windows-1252 bytes that would read as a mark go as UTF-8.
      {u"\u00EF\u00BB\u00BFx", "\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBFx\r\n"},
      {u"\u00FF\u00FE", "\xEF\xBB\xBF\xC3\xBF\xC3\xBE\r\n"},
      {u"\u00FE\u00FF", "\xEF\xBB\xBF\xC3\xBE\xC3\xBF\r\n"},
      {u"\u00FEx", "\xFEx\r\n"},
      // A lone surrogate has no UTF-8 form: UTF-16 keeps it.
      {u"a\xD800", std::string("\xFF\xFE" "a\0\x00\xD8\r\0\n\0", 10)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.item));
    TStringList list;
    list.Add(c.item);
    list.SaveToFile(dir.WideFile("w.txt"));
    EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("w.txt")), c.bytes);
    TStringList back;
    back.LoadFromFile(dir.WideFile("w.txt"));
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back[0], c.item);
  }
}

TEST(WideStringList, ReadsFilesByTheirMark) {
  TTestTempDir dir;
  struct Case {
    std::string bytes;
    std::vector<std::u16string> items;
  } cases[] = {
      {"\xEF\xBB\xBF\xC3\xA4\r\nb", {u"\u00E4", u"b"}},
      {std::string("\xFF\xFE" "a\0\r\0\n\0\x16\x04", 10), {u"a", u"\u0416"}},
      {std::string("\xFE\xFF\0a\0\r\0\n\x04\x16", 10), {u"a", u"\u0416"}},
      {"\xE4\x80\r\n", {u"\u00E4\u20AC"}},  // no mark: Windows-1252
      {"\xEF\xBB\xBF", {}},
      {std::string("\xFF\xFE" "a\0b", 5), {u"a\uFFFD"}},  // a stray last byte
      {"\xEF\xBB\xBF\xFF", {u"\uFFFD"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    TTestTempDir::WriteBytes(dir.File("r.txt"), c.bytes);
    TStringList list;
    list.LoadFromFile(dir.WideFile("r.txt"));
    std::vector<std::u16string> items;
    for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list[i]);
    EXPECT_EQ(items, c.items);
  }
}

// Found by fuzzing the text setters: a list set from a text writes a text
// that sets the same list again, for odd delimiters and quotes too.
TYPED_TEST(StringList, TextSettersRoundTrip) {
  using Ch = TypeParam;
  using List = TStringListT<Ch>;
  struct Case {
    std::string text;
    char delimiter, quote;
  };
  // Empty items between blank delimiters are written quoted (delimiters in
  // a row would read as one).
  const Case cases[] = {{std::string("\0;\0", 3), ';', '\0'}, {"a \"\" b \"\"", ' ', '"'}, {"\"\"\t\tx\t'", '\t', '\''}};
  for (const Case& c : cases) {
    List list, again;
    const std::basic_string<Ch> text = T<Ch>(c.text);
    list.SetText(text);
    again.SetText(list.Text());
    EXPECT_EQ(again.Count(), list.Count()) << "Text";
    list.SetCommaText(text);
    again.SetCommaText(list.CommaText());
    EXPECT_EQ(again.Count(), list.Count()) << "CommaText";
    for (int32_t i = 0; i < std::min(list.Count(), again.Count()); ++i) EXPECT_EQ(A(again[i]), A(list[i])) << i;
    list.SetDelimiter(Ch(static_cast<unsigned char>(c.delimiter)));
    list.SetQuoteChar(Ch(static_cast<unsigned char>(c.quote)));
    again.SetDelimiter(list.Delimiter());
    again.SetQuoteChar(list.QuoteChar());
    list.SetDelimitedText(text);
    again.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(again.Count(), list.Count()) << "DelimitedText";
    for (int32_t i = 0; i < std::min(list.Count(), again.Count()); ++i) EXPECT_EQ(A(again[i]), A(list[i])) << i;
  }
}
