// Through the class's own header, which must offer these routines too.
#include "core/vxStrings.h"

#include <gtest/gtest.h>

namespace {

std::string LengthPrefixed(const std::string& text, uint32_t n) {
  std::string content;
  for (int i = 0; i < 4; ++i) content.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return content + text;
}

TEST(CompressString, RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (const std::string& s : {std::string(), all, std::string(1 << 20, 'x') + all}) {
    const std::string packed = TvxStrings::CompressString(s);
    EXPECT_EQ(TvxStrings::DecompressString(packed), s);
  }
}

TEST(CompressString, Format) {
  const std::string packed = TvxStrings::CompressString("");
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0xDA);
  // The content of the empty text is four zero bytes.
  vxZlib::TInflater inflater(packed);
  std::string content;
  inflater.Read(content, 100);
  EXPECT_EQ(content, std::string(4, '\0'));
  // The content of a text is its little-endian length and its bytes.
  const std::string abc = TvxStrings::CompressString("abc");
  vxZlib::TInflater second(abc);
  content.clear();
  second.Read(content, 100);
  EXPECT_EQ(content, LengthPrefixed("abc", 3));
}

TEST(DecompressString, RejectsWhatCompressStringDidNotMake) {
  struct Case {
    const char* what;
    std::string input;
  };
  const std::string good = TvxStrings::CompressString("hello world");
  std::string damaged = good;
  damaged[damaged.size() - 1] ^= 0x55;  // checksum
  const Case cases[] = {
      {"no zlib stream", "abc"},
      {"empty input", ""},
      {"cut stream", good.substr(0, good.size() - 5)},
      {"damaged checksum", damaged},
      {"fewer than four bytes", vxZlib::Deflate({"ab"}, 9)},
      {"length larger than the text", vxZlib::Deflate({LengthPrefixed("abc", 0x7FFFFFF0)}, 9)},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(TvxStrings::DecompressString(c.input), EZDecompressionError) << c.what;
  }
}

TEST(DecompressString, ContentLongerThanItsLengthGivesTheFirstBytes) {
  EXPECT_EQ(TvxStrings::DecompressString(vxZlib::Deflate({LengthPrefixed("abcdef", 3)}, 9)), "abc");
  EXPECT_EQ(TvxStrings::DecompressString(vxZlib::Deflate({LengthPrefixed(std::string(200000, 'x'), 0)}, 9)), "");
  // The rest is still checked: a damaged checksum behind it raises.
  std::string damaged = vxZlib::Deflate({LengthPrefixed("abcdef", 3)}, 9);
  damaged[damaged.size() - 1] ^= 0x55;
  EXPECT_THROW(TvxStrings::DecompressString(damaged), EZDecompressionError);
}

TEST(DecompressString, ErrorClassName) {
  try {
    TvxStrings::DecompressString("abc");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EZDecompressionError");
  }
}

}  // namespace

#include "core/vxToolsSystem.h"
#include "platform/time/vxDateUtils.h"

namespace {

// A fixed world: Tuesday, 5 March 2024, 14:30:07.123, German settings,
// GUIDs counting up.
class PlaceholderTest : public ::testing::Test {
 protected:
  PlaceholderTest() : FSettings(TFormatSettings::FromLocale("de_DE")) {
    FSources.Now = [] { return vxRuntime::EncodeDateTime(2024, 3, 5, 14, 30, 7, 123); };
    FSources.UserName = [] { return ustring(u"jsmith"); };
    FSources.ComputerName = [] { return ustring(u"pc01"); };
    FSources.UserPrincipalName = [] { return ustring(u"PC01\\jsmith"); };
    FSources.FullyQualifiedHostName = [] { return ustring(u"pc01.example.org"); };
    FSources.NewGuid = [this] {
      ++FGuids;
      return "{0000000" + std::to_string(FGuids) + "-0000-4000-8000-000000000000}";
    };
    FSources.Settings = [this]() -> const TFormatSettings& { return FSettings; };
  }

  ustring Expand(const ustring& text, const ustring& user = u"", const ustring& host = u"") {
    return TvxStrings::CheckDefaultPlaceHolders(text, user, host, FSources);
  }

  TFormatSettings FSettings;
  TvxStrings::TPlaceholderSources FSources;
  int FGuids = 0;
};

TEST_F(PlaceholderTest, Table) {
  struct Case {
    ustring text, expanded;
  };
  const Case cases[] = {
      {u"no placeholder", u"no placeholder"},
      {u"%d.%m.%yyyy", u"5.3.2024"},
      {u"%dd.%mm.%yy", u"05.03.24"},
      {u"%date|%DATE", u"05.03.2024|05.03.2024"},
      {u"%Date", u"5ate"},  // not a spelling of %date, but it holds %D, the day
      {u"%Year", u"%Year"},
      {u"%year %YEAR", u"2024 2024"},
      {u"%timestamp", u"20240305143007123"},
      {u"%time / %shorttime", u"14:30:07 / 14:30"},
      {u"%dayname %day %days", u"Dienstag Dienstag Dienstags"},
      {u"%hours:%minute:%ss.%zzz", u"14s:30:07.123"},
      {u"Q%quarter", u"Q1"},
      {u"%user %username %USER", u"jsmith jsmith jsmith"},
      {u"%userprincipal", u"PC01\\jsmith"},
      {u"%host %computer %computername", u"pc01 pc01 pc01"},
      {u"%hostdnsfullqualified", u"pc01.example.org"},
      {u"100%", u"100%"},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text), c.expanded) << WideToUtf8(c.text);
  EXPECT_EQ(Expand(u"%month %mmm %mm"), u"März " + FSettings.ShortMonthNames[2] + u" 03");
}

TEST_F(PlaceholderTest, GivenNames) {
  EXPECT_EQ(Expand(u"%user/%username/%userprincipal", u"x"), u"x/x/PC01\\jsmith");
  EXPECT_EQ(Expand(u"%host/%hostdnsfullqualified", u"", u"mailhost"), u"mailhost/pc01.example.org");
  // A later placeholder acts on a value an earlier one brought in.
  EXPECT_EQ(Expand(u"%user", u"%computer"), u"pc01");
}

TEST_F(PlaceholderTest, IdentifiersOncePerCall) {
  EXPECT_EQ(Expand(u"%id-%ID"), u"00000001000040008000000000000000-00000001000040008000000000000000");
  EXPECT_EQ(Expand(u"%id %guid"), u"00000002000040008000000000000000 {00000003-0000-4000-8000-000000000000}");
}

TEST_F(PlaceholderTest, ValuesOnlyWhenTheirPlaceholderOccurs) {
  FSources.UserPrincipalName = []() -> ustring { throw Exception("directory unreachable"); };
  FSources.NewGuid = []() -> std::string { throw Exception("no GUIDs"); };
  EXPECT_EQ(Expand(u"%user on %host"), u"jsmith on pc01");
  EXPECT_THROW(Expand(u"%userprincipal"), Exception);  // failures reach the caller
}

TEST(Placeholders, SystemSources) {
  EXPECT_EQ(TvxStrings::CheckDefaultPlaceHolders(u"plain text", u"", u""), u"plain text");
  EXPECT_EQ(TvxStrings::CheckDefaultPlaceHolders(u"%user@%host", u"", u""),
            TvxTools::GetUserName() + u"@" + TvxTools::GetComputerName());
  const ustring id = TvxStrings::CheckDefaultPlaceHolders(u"%id", u"", u"");
  EXPECT_EQ(id.size(), 32u);
  EXPECT_EQ(TvxStrings::CreateId().Length(), 32u);
  EXPECT_EQ(TvxStrings::CreateGuidStr().size(), 38u);
}

}  // namespace
