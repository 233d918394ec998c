// The engine's way to the desktop's mail program, with a stub xdg-email on
// PATH that records what it is given: the mail of SendMAPIMail, the files
// of SendToMail, and what a failing mail program makes of each.
#include <gtest/gtest.h>

#include "platform/base/vxCodePage.h"
#include "plugin/vxMailTools.h"
#include "support/vxMailProgramStub.h"
#include "support/vxRaisedMessage.h"
#include "support/vxTestTempDir.h"

namespace {

using Args = std::vector<std::string>;

TEST(MailToolsDesktopTest, MapiMailOpensTheMailProgramWithWhatIsGiven) {
  vxTest::TMailProgramStub stub;
  TTestTempDir files;
  TTestTempDir::WriteBytes(files.File("invoice.pdf"), "%PDF");
  const std::string file = files.File("invoice.pdf");
  const struct {
    const char* Name;
    std::string Subject, Body, FileName, SenderName, SenderEMail, RecepientName, RecepientEMail;
    Args Expected;
  } cases[] = {
      {"everything, code page texts", "Rechnung f\xFCr Juli", "Gr\xFC\xDF" "e\r\nIhr Team", file, "Accounts",
       "accounts@example.com", "M\xFCller, Hans", "hans@example.com",
       {"--utf8", "--subject", "Rechnung f\xC3\xBCr Juli", "--body", "Gr\xC3\xBC\xC3\x9F" "e\r\nIhr Team", "--to",
        "\"M\xC3\xBCller, Hans\" <hans@example.com>", "--attach", file}},
      {"recipient without a name", "", "", "", "", "", "", "hans@example.com",
       {"--utf8", "--to", "hans@example.com"}},
      {"a name without an address names nobody", "s", "", "", "", "", "Hans", "", {"--utf8", "--subject", "s"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(TvxMailTools::SendMAPIMail(c.Subject, c.Body, c.FileName, c.SenderName, c.SenderEMail,
                                           c.RecepientName, c.RecepientEMail));
    EXPECT_EQ(stub.Arguments(), c.Expected);
  }

  // Only a file: the compose window with the file and no recipient. A name
  // outside the code page is kept whole.
  TTestTempDir::WriteBytes(files.File("\xD0\xBE\xD1\x82\xD1\x87\xD0\xB5\xD1\x82.pdf"), "%PDF");
  TvxMailTools::SendMAPIMail(files.WideFile("\xD0\xBE\xD1\x82\xD1\x87\xD0\xB5\xD1\x82.pdf"));
  EXPECT_EQ(stub.Arguments(), (Args{"--utf8", "--attach", files.File("\xD0\xBE\xD1\x82\xD1\x87\xD0\xB5\xD1\x82.pdf")}));
}

TEST(MailToolsDesktopTest, MapiMailFailsWhenTheMailProgramFailsOrTheAddressCannotBeWritten) {
  vxTest::TMailProgramStub stub;
  TvxMailTools mail;
  mail.Message = u"kept";
  stub.ExitWith(3);
  EXPECT_FALSE(TvxMailTools::SendMAPIMail("s", "b", "", "", "", "", "to@example.com"));
  EXPECT_TRUE(stub.Ran());
  EXPECT_EQ(mail.Message, u"kept");

  vxTest::TMailProgramStub fresh;
  EXPECT_FALSE(TvxMailTools::SendMAPIMail("s", "b", "", "", "", "", "to@example.com\r\nBcc: x@example.com"));
  EXPECT_FALSE(fresh.Ran());
}

TEST(MailToolsDesktopTest, SendToMailAttachesEveryFileFromTheFirstFilesFolder) {
  vxTest::TMailProgramStub stub;
  TTestTempDir files;
  for (const char* name : {"a.pdf", "b c.txt"}) TTestTempDir::WriteBytes(files.File(name), "x");
  TStringList list;
  list.Add(files.WideFile("a.pdf"));
  list.Add(u"b c.txt");
  list.Add(u"/etc/hostname");
  TvxMailTools::SendToMail(list);
  EXPECT_EQ(stub.Arguments(),
            (Args{"--utf8", "--attach", files.File("a.pdf"), "--attach", files.File("b c.txt"), "--attach",
                  "/etc/hostname"}));

  stub.ExitWith(2);
  const std::string raised = vxTest::RaisedMessage([&] { TvxMailTools::SendToMail(list); });
  EXPECT_EQ(raised, "xdg-email ended with exit status 2: a file to attach does not exist");
  try {
    TvxMailTools::SendToMail(list);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EMailProgramError");
  }
}

TEST(MailToolsDesktopTest, SendToMailWithoutFilesFailsBeforeTheMailProgramRuns) {
  vxTest::TMailProgramStub stub;
  try {
    TvxMailTools::SendToMail(TStringList());
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EStringListError");
  }
  EXPECT_FALSE(stub.Ran());
}

}  // namespace
