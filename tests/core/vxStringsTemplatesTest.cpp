// Tests of the template-guarded searches and the rule replacement.
#include "core/vxStringsTemplates.h"

#include <gtest/gtest.h>

#include "platform/base/vxExceptions.h"

using namespace TvxStrings;

TEST(TvxStringsTemplates, PosIgnoreTemplateW) {
  struct Case {
    const char16_t *content, *search;
    int32_t from, to;
    std::vector<std::string> templates;
    bool ignoreCase;
    int32_t expected;
  };
  const std::vector<std::string> mr = {"Mr. %SEARCH_STRING%"};
  const Case cases[] = {
      {u"Mr. Smith and Smith", u"Smith", 1, 100, mr, false, 15},
      {u"Mr. Smith and Smith", u"Smith", 1, 12, mr, false, 0},
      {u"Mr. Smith and Smith", u"Smith", 1, 100, {}, false, 5},
      {u"Mr. Smith and Smith", u"SMITH", 1, 100, mr, true, 15},
      {u"Mr. Smith and Smith", u"SMITH", 1, 100, mr, false, 0},
      {u"abcabc", u"bc", 1, 3, {}, false, 0},
      {u"abcabc", u"bc", 1, 4, {}, false, 2},
      {u"abcabc", u"bc", 3, 6, {}, false, 5},
      {u"", u"a", 1, 10, {}, false, 0},
      {u"ab", u"a", 1, 10, {"x%SEARCH_STRING%"}, false, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PosIgnoreTemplateW(c.content, c.search, c.from, c.to, c.templates, c.ignoreCase), c.expected)
        << &c - cases;
    EXPECT_EQ(ContainsBetweenIgnoreTemplates(c.content, c.search, c.from, c.to, c.templates, c.ignoreCase),
              c.expected != 0);
  }
  try {
    PosIgnoreTemplateW(u"", u"a", 1, 1, {}, false);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "endless execution exeption in TvxStrings.posIgnoreTemplateW");
  }
  EXPECT_THROW(ContainsBetweenIgnoreTemplates(u"", u"a", 1, 1, {}, false), EConvertError);
}

TEST(TvxStringsTemplates, CheckSearchStringWithStringTemplates) {
  TStringList mr;
  mr.Add(u"Mr. %SEARCH_STRING%");
  TStringList none;
  EXPECT_EQ(CheckSearchStringWithStringTemplates(u"Mr. Smith and Smith", u"Smith", mr), 2);
  EXPECT_EQ(CheckSearchStringWithStringTemplates(u"Mr. Smith and Mr. Smith", u"Smith", mr), 0);
  EXPECT_EQ(CheckSearchStringWithStringTemplates(u"Mr. Smith and Smith", u"Smith", none), 1);
  EXPECT_EQ(CheckSearchStringWithStringTemplates(u"Mr. Jones", u"Smith", mr), 0);
}

TEST(TvxStringsTemplates, CheckStringTemplate) {
  struct Case {
    const char16_t *content, *pre, *search, *post;
    TSEARCH_TYPE type;
    bool expected;
  };
  const Case cases[] = {
      {u"no match here", u"Mr. ", u"Smith", u"", EACH_POS, true},
      {u"Mr. Smith and Smith", u"Mr. ", u"Smith", u"", FIRST_POS, true},
      {u"Mr. Smith and Smith", u"Mr. ", u"Smith", u"", LAST_POS, false},
      {u"Mr. Smith and Smith", u"Mr. ", u"Smith", u"", EACH_POS, false},
      {u"Mr. Smith and Mr. Smith", u"Mr. ", u"Smith", u"", EACH_POS, true},
      {u"Smith, Smith,", u"", u"Smith", u",", EACH_POS, true},
      {u"Smith, Smith", u"", u"Smith", u",", LAST_POS, false},
      {u"Smith", u"Mr. ", u"Smith", u"", FIRST_POS, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckStringTemplate(c.content, c.pre, c.search, c.post, c.type), c.expected) << &c - cases;
}

TEST(TvxStringsTemplates, RuleReplace) {
  const std::vector<std::string> two = {"%SEARCH_STRING% and", "Mr. %SEARCH_STRING%"};
  EXPECT_EQ(RuleReplace(u"Smith and Mr. Smith", u"Smith", u"Miller", {"Mr. %SEARCH_STRING%"}, -1),
            u"Smith and Mr. Miller");
  EXPECT_EQ(RuleReplace(u"Smith and Mr. Smith", u"Smith", u"Miller", two, 0), u"Miller and Mr. Miller");
  EXPECT_EQ(RuleReplace(u"Smith and Mr. Smith", u"Smith", u"Miller", two, 1), u"Miller and Mr. Smith");
  EXPECT_EQ(RuleReplace(u"Jones", u"Smith", u"Miller", two, 0), u"Jones");
  EXPECT_EQ(RuleReplace(u"Smith", u"Smith", u"Miller", {}, 0), u"Smith");
  // A position-1 rule with text in front of the placeholder keeps that text.
  EXPECT_EQ(RuleReplace(u"Mr. Smith and Smith", u"Smith", u"Miller", {"Mr. %SEARCH_STRING%"}, 0),
            u"Mr. Miller and Smith");
}
