// The service manager's command lines and the state codes made from its
// answers (no command runs here).
#include "platform/process/vxServiceManager.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/process/vxCommandLine.h"

namespace {

TEST(ServiceManager, StatesFromTheQueryOutput) {
  const struct {
    const char* Output;
    uint32_t State;
  } cases[] = {
      {"LoadState=loaded\nActiveState=active\n", 4},
      {"LoadState=loaded\nActiveState=reloading\n", 4},
      {"LoadState=loaded\nActiveState=activating\n", 2},
      {"LoadState=loaded\nActiveState=deactivating\n", 3},
      {"LoadState=loaded\nActiveState=inactive\n", 1},
      {"LoadState=loaded\nActiveState=failed\n", 1},
      {"ActiveState=active\r\nLoadState=masked\r\n", 4},  // any order, CR LF
      {"LoadState=not-found\nActiveState=inactive\n", 0},
      {"LoadState=loaded\nActiveState=maintenance\n", 0},
      {"LoadState=loaded\nActiveState=\n", 0},
      {"ActiveState=active\n", 0},  // no unit
      {"LoadState=loaded\nXActiveState=active\n", 0},
      {"LoadState=loaded\nActiveState=active ", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(vxServiceManager::StateFromQueryOutput(c.Output), c.State) << c.Output;
}

TEST(ServiceManager, UnitNames) {
  for (const std::u16string_view name : {u"cron", u"cron.service", u"getty@tty1.service", u"a-b_c:d\\x2d", u"-x"})
    EXPECT_TRUE(vxServiceManager::ValidUnitName(name));
  for (const std::u16string_view name :
       std::initializer_list<std::u16string_view>{u"", u"a b", u"a\tb", u"a\"b", u"a'b", u"a/b", u"a;b", u"$(x)", u"\u00e9", std::u16string_view(u"a\0b", 3)})
    EXPECT_FALSE(vxServiceManager::ValidUnitName(name));
  EXPECT_TRUE(vxServiceManager::ValidUnitName(ustring(255, u'a')));
  EXPECT_FALSE(vxServiceManager::ValidUnitName(ustring(256, u'a')));
}

TEST(ServiceManager, CommandLinesEndWithTheNameAsOneArgument) {
  EXPECT_EQ(vxServiceManager::QueryParams(u"cron"), u"show --property=LoadState --property=ActiveState -- cron");
  EXPECT_EQ(vxServiceManager::StartParams(u"cron"), u"start --no-ask-password -- cron");
  EXPECT_EQ(vxServiceManager::StopParams(u"cron"), u"stop --no-ask-password -- cron");
  const ustring name = u"a\\x2d\\";  // a backslash at the end
  const auto args = vxCommandLine::SplitCommandLine(vxServiceManager::StartParams(name), false);
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[3], name);
}

}  // namespace
