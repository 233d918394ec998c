// The configuration string the library builds for the dialog and for hosts:
// the fourteen items in their order, and a string that reads back whole.
#include <gtest/gtest.h>

#include "foundation/vxCipherToolsEvo3.h"
#include "plugin/vxExportConfig.h"

namespace {

TEST(ExportConfig, ItemsInTheWrittenOrder) {
  TvxExportSettings s;
  s.SMTPSERVER = u"mail.example.com";
  s.SMTPPORT = 587;
  s.FROMADDRESS = u"a@example.com";
  s.FROMNAME = u"Sender";
  s.RECIPIENT = u"r@example.com,q@example.com";
  s.SUBJECT = u"Invoice %NR";
  s.INSERTFLDS = true;
  s.AUTHENTICATION = true;
  s.USERNAME = u"user";
  s.PASSWORD = u"pw";
  s.USETLS = true;
  const std::string config = vxExportConfig::BuildConfigString(s);
  EXPECT_EQ(config, "<CONFIG><SMTPSERVER=mail.example.com><SMTPPORT=587><FROMADDRESS=a@example.com>"
                    "<FROMNAME=Sender><RECIPIENT=r@example.com,q@example.com><SUBJECT=Invoice %NR>"
                    "<ZIPMAILATM=False><INSERTFLDS=True><SENDEMLS=False><AUTHENTICATION=True><USERNAME=user>"
                    "<PASSWORD=" + TvxCipher::EncodeLogon("pw") + "><USETLS=True><USESASL=False></CONFIG>");
}

TEST(ExportConfig, EveryValueReadsBack) {
  for (const char16_t* recipient : {u"plain@example.com", u"Name <a@example.com>"}) {
    TvxExportSettings s;
    s.SMTPSERVER = u"server";
    s.SMTPPORT = 2525;
    s.ZIPMAILATM = true;
    s.SENDEMLS = true;
    s.FROMADDRESS = u"f@example.com";
    s.FROMNAME = u"Müller & Co";
    s.RECIPIENT = recipient;
    s.SUBJECT = u"a=b <c>";
    s.USERNAME = u"u";
    s.PASSWORD = u"$$$pass";
    s.USESASL = true;
    TvxExportSettings back;
    back.BODY = u"untouched";
    ASSERT_TRUE(vxExportConfig::ReadConfigString(vxExportConfig::BuildConfigString(s), back));
    EXPECT_EQ(back.SMTPSERVER, s.SMTPSERVER);
    EXPECT_EQ(back.SMTPPORT, s.SMTPPORT);
    EXPECT_EQ(back.ZIPMAILATM, true);
    EXPECT_EQ(back.INSERTFLDS, false);
    EXPECT_EQ(back.SENDEMLS, true);
    EXPECT_EQ(back.FROMADDRESS, s.FROMADDRESS);
    EXPECT_EQ(back.FROMNAME, s.FROMNAME);
    EXPECT_EQ(back.RECIPIENT, s.RECIPIENT);
    EXPECT_EQ(back.SUBJECT, s.SUBJECT);
    EXPECT_EQ(back.AUTHENTICATION, false);
    EXPECT_EQ(back.USERNAME, s.USERNAME);
    EXPECT_EQ(back.PASSWORD, s.PASSWORD);
    EXPECT_EQ(back.USETLS, false);
    EXPECT_EQ(back.USESASL, true);
    EXPECT_EQ(back.BODY, u"untouched");
  }
}

}  // namespace
