// Command lines taken apart by the C runtime's rules, quoting that reads
// back unchanged, and this process's own arguments.
#include "platform/process/vxCommandLine.h"

#include <gtest/gtest.h>

#include "platform/base/vxCodePage.h"

namespace {

std::string Joined(const std::vector<ustring>& arguments) {
  std::string text;
  for (const ustring& a : arguments) {
    text.push_back('<');
    text += WideToUtf8(a);
    text.push_back('>');
  }
  return text;
}

TEST(CommandLine, SplitsByTheRuntimeRules) {
  struct Case {
    const char16_t* Line;
    const char* Expected;
  } cases[] = {
      {u"", ""},
      {u"  \t ", ""},
      {u"a b\tc", "<a><b><c>"},
      {u"\"a b\" c", "<a b><c>"},
      {u"a\"b c\"d e", "<ab cd><e>"},              // quotes inside an argument
      {u"\"\"", "<>"},                            // an empty argument
      {u"a \"\" b", "<a><><b>"},
      {u"\\\\server\\share x", "<\\\\server\\share><x>"},  // backslashes before no quote stay
      {u"a\\\"b", "<a\"b>"},                      // 1 backslash + quote: a literal quote
      {u"a\\\\\"b c\"", "<a\\b c>"},              // 2 backslashes + quote: one backslash, quoting
      {u"a\\\\\\\"b", "<a\\\"b>"},                // 3: one backslash and a literal quote
      {u"\"a\"\"b\"", "<a\"b>"},                  // two quotes inside quotes give one
      {u"\"unterminated arg", "<unterminated arg>"},
      {u"C:\\dir\\ \"x\\\\\"", "<C:\\dir\\><x\\>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Joined(vxCommandLine::SplitCommandLine(c.Line, false)), c.Expected)
      << WideToUtf8(c.Line);
}

TEST(CommandLine, TheProgramNameHasItsOwnRule) {
  EXPECT_EQ(Joined(vxCommandLine::SplitCommandLine(u"\"/opt/my tool\\\" a\\\"b", true)), "</opt/my tool\\><a\"b>");
  EXPECT_EQ(Joined(vxCommandLine::SplitCommandLine(u"prog.exe /PORT=8080 \"/NAME=a b\"", true)),
            "<prog.exe></PORT=8080></NAME=a b>");
  EXPECT_EQ(Joined(vxCommandLine::SplitCommandLine(u"", true)), "<>");
}

TEST(CommandLine, QuotedArgumentsReadBackUnchanged) {
  const ustring samples[] = {u"plain", u"", u"a b", u"tab\there", u"q\"uote", u"end\\", u"sp ace\\",
                             u"\\\\\"", u"\"\"", u"x\\\\y", u"\\"};
  ustring line = u"prog";
  for (const ustring& s : samples) {
    line.push_back(u' ');
    line += vxCommandLine::QuoteArgument(s);
  }
  const std::vector<ustring> back = vxCommandLine::SplitCommandLine(line, true);
  ASSERT_EQ(back.size(), std::size(samples) + 1);
  for (size_t i = 0; i < std::size(samples); ++i) EXPECT_EQ(back[i + 1], samples[i]) << i;
  EXPECT_EQ(vxCommandLine::QuoteArgument(u"plain"), u"plain");
  EXPECT_EQ(vxCommandLine::QuoteArgument(u"a b\\"), u"\"a b\\\\\"");
}

TEST(CommandLine, OwnArgumentsAreArgv) {
  const std::vector<ustring> arguments = vxCommandLine::ProcessArguments();
  ASSERT_FALSE(arguments.empty());
  EXPECT_NE(arguments[0].find(u"test_platform"), ustring::npos);
}

}  // namespace
