// The mail program through xdg-email: the arguments it is given, read back
// by a stub on PATH, and what its exit statuses, a missing program and a
// run that does not end make of the result.
#include "platform/process/vxMailProgram.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/base/vxCodePage.h"
#include "support/vxMailProgramStub.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

using vxMailProgram::TMailDraft;
using Args = std::vector<std::string>;

TEST(MailProgramTest, ArgumentsLeaveOutEmptyTextsAndKeepValuesThatLookLikeOptions) {
  const struct {
    TMailDraft Draft;
    Args Expected;
  } cases[] = {
      {{}, {"xdg-email", "--utf8"}},
      {{u"Subject", u"", {}, {u"/tmp/a file.pdf"}},
       {"xdg-email", "--utf8", "--subject", "Subject", "--attach", "/tmp/a file.pdf"}},
      {{u"-x", u"line 1\r\nline 2 \u00E4", {u"a@example.com", u"\"B, C\" <b@example.com>"}, {}},
       {"xdg-email", "--utf8", "--subject", "-x", "--body", "line 1\r\nline 2 \xC3\xA4", "--to", "a@example.com",
        "--to", "\"B, C\" <b@example.com>"}},
  };
  for (const auto& c : cases) {
    Args got;
    for (const ustring& a : vxMailProgram::ComposeArguments(c.Draft)) got.push_back(WideToUtf8(a));
    EXPECT_EQ(got, c.Expected);
  }
}

TEST(MailProgramTest, ExitStatusZeroIsSuccessAndTheOthersAreNamed) {
  vxTest::TMailProgramStub stub;
  TMailDraft draft{u"Report", u"Body\nsecond line", {u"to@example.com"}, {u"/tmp/report.pdf"}};
  ustring failure = u"old";
  ASSERT_TRUE(vxMailProgram::Compose(draft, 10000, failure));
  EXPECT_EQ(failure, u"");
  EXPECT_EQ(stub.Arguments(), (Args{"--utf8", "--subject", "Report", "--body", "Body\nsecond line", "--to",
                                    "to@example.com", "--attach", "/tmp/report.pdf"}));

  const struct {
    int Status;
    const char16_t* Failure;
  } statuses[] = {
      {1, u"xdg-email ended with exit status 1: error in the command line"},
      {2, u"xdg-email ended with exit status 2: a file to attach does not exist"},
      {3, u"xdg-email ended with exit status 3: no mail program was found"},
      {4, u"xdg-email ended with exit status 4: the mail program could not be opened"},
      {5, u"xdg-email ended with exit status 5: a file to attach cannot be read"},
      {9, u"xdg-email ended with exit status 9: failure"},
  };
  for (const auto& s : statuses) {
    stub.ExitWith(s.Status);
    EXPECT_FALSE(vxMailProgram::Compose(draft, 10000, failure));
    EXPECT_EQ(failure, s.Failure);
  }
}

TEST(MailProgramTest, AMissingProgramAndARunThatDoesNotEndFail) {
  {
    TTestTempDir empty;
    vxTest::TScopedEnv path("PATH", empty.Path().string());
    ustring failure;
    EXPECT_FALSE(vxMailProgram::Compose({}, 10000, failure));
    EXPECT_EQ(failure, u"xdg-email could not be started (No such file or directory)");
  }
  vxTest::TMailProgramStub stub;
  stub.PauseFor(5);
  ustring failure;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(vxMailProgram::Compose({}, 300, failure));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(failure, u"xdg-email did not end within 300 ms");
}

}  // namespace
