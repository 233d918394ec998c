// Script protection: lock round trips with "#" in script and password, the
// password, texts that are no locked scripts, script references and source
// lines of error messages.
#include "foundation/internal/vxScriptTools.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/internal/vxBase64.h"

using namespace vxInternal;

// Pins the script key: scripts locked before stay readable.
TEST(ScriptToolsTest, GoldenVector) {
  EXPECT_EQ(TvxScriptTools::LockScript("x := '#1';", "pa#ss"), "dHpsOTNQZXNhanFoMjh2dWZyb3UxSGtVdk9BQVplTk4=");
  EXPECT_EQ(TvxScriptTools::UnlockScript("dHpsOTNQZXNhanFoMjh2dWZyb3UxSGtVdk9BQVplTk4=", true), "x := '#1';");
}

TEST(ScriptToolsTest, LockRoundTrip) {
  const std::pair<std::string, std::string> cases[] = {
      {"print('a')", "secret"},
      {"x := 1; # not a comment\r\ny := '#';", "pa#ss##"},
      {"#", "#"},
      {"", "only password"},
      {"script\x01\xFF", "&num;literal"},
      {std::string(5000, 's'), "p"},
  };
  for (const auto& [script, password] : cases) {
    const std::string locked = TvxScriptTools::LockScript(script, password);
    EXPECT_EQ(locked.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(TvxScriptTools::UnlockScript(locked, true), script);
    EXPECT_TRUE(TvxScriptTools::VerifySecuredScript(locked));
    EXPECT_TRUE(TvxScriptTools::IsScriptProtected(locked));
    const std::string expected = password == "&num;literal" ? "#literal" : password;
    EXPECT_EQ(TvxScriptTools::GetScriptPassword(locked), expected);
  }
}

TEST(ScriptToolsTest, EmptyPassword) {
  const std::string locked = TvxScriptTools::LockScript("body # with hash", "");
  EXPECT_TRUE(TvxScriptTools::VerifySecuredScript(locked));
  EXPECT_FALSE(TvxScriptTools::IsScriptProtected(locked));
  EXPECT_EQ(TvxScriptTools::GetScriptPassword(locked), "");
  EXPECT_EQ(TvxScriptTools::UnlockScript(locked, true), "body # with hash");
}

TEST(ScriptToolsTest, TextsThatAreNoLockedScript) {
  for (const std::string plain : {"begin x := 1; end.", "short", "a b c d e f g h i j k l m n o p q r s t"}) {
    EXPECT_FALSE(TvxScriptTools::VerifySecuredScript(plain)) << plain;
    EXPECT_FALSE(TvxScriptTools::IsScriptProtected(plain));
    EXPECT_EQ(TvxScriptTools::GetScriptPassword(plain), "");
    // A text that cannot be unlocked comes back unchanged.
    EXPECT_EQ(TvxScriptTools::UnlockScript(plain, true), plain);
  }
  // Base64 of text that is no text form: unchanged as well.
  const std::string notLocked = TvxBase64::StrToBase64("this is !! not ciphered", false);
  EXPECT_EQ(TvxScriptTools::UnlockScript(notLocked, true), notLocked);
  EXPECT_EQ(TvxScriptTools::UnlockScript("anything", false), "anything");
  EXPECT_EQ(TvxScriptTools::UnlockScript("", true), "");
  const std::string locked = TvxScriptTools::LockScript("s", "p");
  EXPECT_EQ(TvxScriptTools::UnlockScript(locked, false), locked);
}

TEST(ScriptToolsTest, ScriptReferences) {
  const std::pair<ustring, bool> cases[] = {
      {u"/varlo/Scripts/Export", true}, {u"/ab", true},   {u"//comment", false},
      {u"/a", false},                   {u"/a\r\nb", false}, {u"varlo/x", false}, {u"", false},
  };
  for (auto [text, expected] : cases) EXPECT_EQ(TvxScriptTools::IsK7Script(text), expected);
}

TEST(ScriptToolsTest, SourceLineOfErrorMessages) {
  const std::pair<ustring, int32_t> cases[] = {
      {u"Error in script. Source position: 12,5", 12},
      {u"error at source Position:   12, col 7", 12},
      {u"SOURCE POSITION:7,1 more: 9, 9", 7},
      {u"no position here: 12, 5", -1},
      {u"Source position: 12", -1},
      {u"Source position: line 12, 3", -1},
      {u"Source position: , 3", -1},
      {u"Source position 12, 3", -1},
  };
  for (const auto& [msg, line] : cases) EXPECT_EQ(TvxScriptTools::GetSourceLineFromException(msg), line);
}
