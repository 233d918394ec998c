// Tests of TvxTools::GeneratePassword: lengths, alphabets, the share of each
// character class, and fresh passwords on every call.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/vxToolsPasswords.h"

namespace {

const std::string Digits = "0123456789";
const std::string Upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const std::string Lower = "abcdefghijklmnopqrstuvwxyz";
const std::string Specials = "!%#$+?*";

// The distinct characters of Text, sorted.
std::string Characters(const std::string& Text) {
  const std::set<char> distinct(Text.begin(), Text.end());
  return std::string(distinct.begin(), distinct.end());
}

TEST(GeneratePassword, LengthZeroOrLessGivesTheEmptyText) {
  for (int32_t length : {0, -1, -100}) {
    EXPECT_EQ(TvxTools::GeneratePassword(length, false), "") << length;
    EXPECT_EQ(TvxTools::GeneratePassword(length, true), "") << length;
  }
}

TEST(GeneratePassword, TwelveCharactersWithoutHighSecurityAreDigitsAndLetters) {
  const std::string allowed = Digits + Upper + Lower;
  for (int i = 0; i < 200; ++i) {
    const std::string password = TvxTools::GeneratePassword(12, false);
    ASSERT_EQ(password.size(), 12u);
    EXPECT_EQ(password.find_first_not_of(allowed), std::string::npos) << password;
  }
  EXPECT_EQ(TvxTools::GeneratePassword(1, false).size(), 1u);
  EXPECT_EQ(TvxTools::GeneratePassword(1000, true).size(), 1000u);
}

// Over many draws every character of the alphabet appears, and no other.
TEST(GeneratePassword, EveryCharacterOfTheAlphabetAppears) {
  struct Case {
    bool HighSec;
    std::string Alphabet;
  };
  for (const Case& c : {Case{false, Digits + Upper + Lower}, Case{true, Digits + Upper + Lower + Specials}}) {
    std::string drawn;
    for (int i = 0; i < 100; ++i) drawn += TvxTools::GeneratePassword(100, c.HighSec);
    EXPECT_EQ(Characters(drawn), Characters(c.Alphabet)) << "HighSec " << c.HighSec;
  }
}

// The class is drawn first, so the ten digits take a third (a quarter with
// high security) of all characters, not 10 in 62.
TEST(GeneratePassword, EachClassTakesItsEqualShare) {
  for (bool highSec : {false, true}) {
    const std::string password = TvxTools::GeneratePassword(60000, highSec);
    const double expected = highSec ? 0.25 : 1.0 / 3;
    for (const std::string* set : {&Digits, &Upper, &Lower}) {
      size_t count = 0;
      for (char ch : password) count += set->find(ch) != std::string::npos;
      EXPECT_NEAR(static_cast<double>(count) / password.size(), expected, 0.02) << "HighSec " << highSec << " " << *set;
    }
  }
}

// Calls in quick succession share no seed: 10,000 passwords, all different.
TEST(GeneratePassword, NoTwoOfTenThousandAreEqual) {
  std::set<std::string> passwords;
  for (int i = 0; i < 10000; ++i) passwords.insert(TvxTools::GeneratePassword(8, false));
  EXPECT_EQ(passwords.size(), 10000u);
}

}  // namespace
