// Tests of platform/mail/vxMailAddress.h: the composer's normalising refuses
// mailboxes a header field would carry wrongly.
#include "platform/mail/vxMailAddress.h"

#include <gtest/gtest.h>

#include "platform/base/vxCodePage.h"
#include "support/vxRaisedMessage.h"

namespace {

TEST(MailAddress, UnwritableMailboxesAreRefused) {
  // Found by the address fuzzer: a stray quote and ">" in a leniently read
  // mailbox were written as "<john@l\"@z>>", which read back one ">" longer.
  const TMailAddressList read = ParseAddressList("postmas\"Doe, John\" <john@l\"@z>");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(vxTest::RaisedMessage([&] { vxMailAddress::Normalise(read[0]); }),
            "invalid mail address 'john@l\"@z>'");
  for (const char16_t* box : {u"a>b@x", u"\"open@x", u"a b@x"})
    EXPECT_THROW(vxMailAddress::Normalise({u"", box}), EMailAddressError) << std::u16string(box).size();
  // A mailbox that would read back as another (a quote in the domain, a
  // comma outside quotes) is refused rather than written.
  for (const char16_t* box : {u"a@\"b\"", u"a@b\"c\"", u"a,b@c", u"\"a\"@@z"})
    EXPECT_THROW(vxMailAddress::Normalise({u"", box}), EMailAddressError) << WideToUtf8(box);
  // What may stand in a quoted local part stays.
  const TMailAddress quoted = vxMailAddress::Normalise({u"", u"\"a <b> c\"@x"});
  EXPECT_EQ(quoted.Address, u"\"a <b> c\"@x");
  EXPECT_EQ(ParseAddressList(FormatAddress({u"Name", quoted.Address})).at(0).Address, quoted.Address);
}

}  // namespace

namespace {

// Found by the header fuzzer: a leniently read mailbox with two "@" was
// written bare and read back as two addresses. A mailbox that would not
// read back bare is written in angle brackets.
TEST(MailAddress, WrittenListsReadBackAsTheSameMailboxes) {
  const std::string fields[] = {
      std::string("\\<@@all", 7),
      std::string("=?\xe5tf-8?BJ?3C <j@o@ox.rg>om ,ec, <j@z.deck@y.orC>", 49),
      std::string("comment) k@z0org, @@g: a@b,ufut,,,,@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@: a@b,@@ok@ <\x00\x03\x00\x01\x00\x00k@z0org, @@g: a@b,,,,,,,,,@@@@@@@@@@@@@@@@@@@@@@@@@@@,,@z.de>", 149),
  };
  for (const std::string& field : fields) {
    const TMailAddressList read = ParseAddressList(field);
    ASSERT_FALSE(read.empty()) << field;
    const TMailAddressList again = ParseAddressList(FormatAddressList(read));
    ASSERT_EQ(again.size(), read.size()) << FormatAddressList(read);
    for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(again[i].Address, read[i].Address) << i;
  }
  EXPECT_EQ(FormatAddress({u"", u"j@z.deck@y.orC"}), "<j@z.deck@y.orC>");
  EXPECT_EQ(FormatAddress({u"", u"a@b.org"}), "a@b.org");
}

// Found by the address fuzzer: a domain literal left open swallowed the
// closing angle bracket when written. Every mailbox the composer accepts
// from these fields reads back as itself.
TEST(MailAddress, AcceptedMailboxesReadBack) {
  const std::string fields[] = {
      std::string("\"D\xfe\x80ol\x00\x00\x00, John\" <john@eple.com>, =?UTF-9?Q?JMC3=B+Crgen?= <j@x.o\x00\x00\x00\x00\x00[ ", 72),
      std::string("team: a@\"Doe- John\" <x\x00\x00t\x0a\x00tea@x\xff" "ccc\xff\xff\xff[ohnampl(ehn@\xff\xff", 54),
      std::string(",winb`dows<@tb`\xff\x0f" "54[tf\xbd" "8", 24),
      std::string("team: a\xff\xff\xff\xffteam: a@xteam(costooe, Jtooe, J\x00ohn\" <<j\x00\x00\x00j\x00\x00\x00\x00\x00\x00oer)q[uot", 70),
      std::string("\"Doe, John\" <john@example.[en?\xff\xff", 32),
      std::string("t\x9a* utf9:taa\x00\x00\x00\x00\x00m:a\"Doe, J\x00m:am:\xff\xff\xff\" < (comj\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00 a@,)@\xff\xff\xff\xff[@,)@ ", 82),
  };
  for (const std::string& field : fields) {
    for (const TMailAddress& address : ParseAddressList(field)) {
      TMailAddress clean;
      try {
        clean = vxMailAddress::Normalise(address);
      } catch (const EMailAddressError&) {
        continue;
      }
      if (clean.Address.empty()) continue;
      const TMailAddressList back = ParseAddressList(FormatAddress(clean));
      ASSERT_EQ(back.size(), 1u) << FormatAddress(clean);
      EXPECT_EQ(back[0].Address, clean.Address) << FormatAddress(clean);
    }
  }
  EXPECT_THROW(vxMailAddress::Normalise({u"", u"john@example.[1.2"}), EMailAddressError);
  EXPECT_EQ(vxMailAddress::Normalise({u"", u"john@[1.2.3.4]"}).Address, u"john@[1.2.3.4]");
}

}  // namespace
