// Truth words, parameter strings and start parameters (the last read by a
// second run of this program with its own command line).
#include "core/vxToolsParams.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "core/vxToolsProcess.h"
#include "platform/base/vxCodePage.h"

namespace {

TEST(ToolsParams, StrIsTrueKnowsTheTwentyWords) {
  ASSERT_EQ(TrueWords.size(), 20u);
  for (std::string_view word : TrueWords) {
    std::string lower(word);
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    EXPECT_TRUE(StrIsTrue(std::string(word))) << word;
    EXPECT_TRUE(StrIsTrue(lower)) << lower;
  }
  for (const char* yes : {"yes", "Oui", "x", "1", "yUp", "Korrekt"}) EXPECT_TRUE(StrIsTrue(yes)) << yes;
  for (const char* no : {" yes", "y", "True ", "", "0", "nein", "yes\n", "TRUE;", "2"}) EXPECT_FALSE(StrIsTrue(no)) << no;
  // Only a-z fold: a word with a letter of the code page's upper half stays unmatched.
  EXPECT_FALSE(StrIsTrue("\xEFUI"));
}

TEST(ToolsParams, ConfigStringParameter) {
  const ustring config = u"user=a;Pass=b=c;user=d";
  struct Case {
    const char16_t* Config;
    const char16_t* Parameter;
    const char16_t* Expected;
  } cases[] = {
      {config.c_str(), u"PASS", u"b=c"},
      {config.c_str(), u"user", u"a"},
      {config.c_str(), u"mail", u"none"},
      {u"", u"user", u"none"},
      {u"port = 25", u"PORT", u"none"},         // the key is 'port '
      {u"port = 25", u"port ", u" 25"},
      {u"  host=x  ;port=1;", u"HOST", u"x"},   // items are trimmed
      {u"solo;a=1", u"", u"solo"},             // an item without "=" has the empty key
      {u"k=\u20AC \u0416", u"K", u"\u20AC ?"}, // through the system code page
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxTools::GetConfigStringParameter(c.Config, c.Parameter, u"none"), c.Expected)
        << WideToUtf8(c.Config) << " / " << WideToUtf8(c.Parameter);
}

TEST(ToolsParams, ConfigStringParameters) {
  TStringList values;
  values.Add(u"kept");
  EXPECT_TRUE(TvxTools::GetConfigStringParameters(u"a=1;b=2;a=3", u"A", values));
  EXPECT_EQ(values.Text(), u"kept\r\n1\r\n3\r\n");
  values.Clear();
  EXPECT_TRUE(TvxTools::GetConfigStringParameters(u"a=1;b=2;a=3", u"", values));
  EXPECT_EQ(values.Text(), u"1\r\n2\r\n3\r\n");
  values.Clear();
  EXPECT_TRUE(TvxTools::GetConfigStringParameters(u"", u"a", values));
  EXPECT_EQ(values.Count(), 0);
}

ustring OwnProgram() {
  char target[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", target, sizeof target - 1);
  return n > 0 ? Utf8ToWide(std::string_view(target, static_cast<size_t>(n))) : ustring();
}

TEST(ToolsParams, StartParamsFromTheCommandLine) {
  uint32_t exitCode = 99;
  ASSERT_TRUE(TvxTools::ExecAndWait(OwnProgram(),
                                    u"--gtest_filter=ToolsParamsChild.DISABLED_ReadsItsStartParams "
                                    u"--gtest_also_run_disabled_tests /PORT=8080 \"/NAME=a b\" /port=9 /Empty= "
                                    u"/NoValue --instanceid=7 --Flag=true",
                                    0, exitCode, u""));
  EXPECT_EQ(exitCode, 0u) << "the child's checks failed";
}

// Runs only as the child of StartParamsFromTheCommandLine.
TEST(ToolsParamsChild, DISABLED_ReadsItsStartParams) {
  const Variant port = TvxTools::GetStartParam(u"port", Variant(int32_t{0}), "/", varNull);
  EXPECT_EQ(port.VarType(), varInt64);  // the typed text form reads integer kinds as Int64
  EXPECT_EQ(port.AsInteger(), 8080);  // the first match counts
  EXPECT_EQ(TvxTools::GetStartParam(u"name", Variant(u""), "/", varNull).AsString(), u"a b");
  EXPECT_EQ(TvxTools::GetStartParam(u"ORT", Variant(u"dflt"), "/p", varNull).AsString(), u"dflt");  // prefix keeps its case
  EXPECT_EQ(TvxTools::GetStartParam(u"empty", Variant(u"dflt"), "/", varNull).AsString(), u"");
  EXPECT_EQ(TvxTools::GetStartParam(u"novalue", Variant(u"dflt"), "/", varNull).AsString(), u"dflt");
  EXPECT_EQ(TvxTools::GetStartParam(u"InstanceId", Variant(u"x"), "--", varInteger).AsInteger(), 7);
  EXPECT_EQ(TvxTools::GetStartParam(u"flag", Variant(false), "--", varNull).VarType(), varBoolean);
  EXPECT_TRUE(TvxTools::GetStartParam(u"flag", Variant(false), "--", varNull).AsBoolean());
  EXPECT_EQ(TvxTools::GetStartParam(u"missing", Variant(int32_t{5}), "--", varNull).AsInteger(), 5);
}

}  // namespace
