// Tests of the named mutexes as lock files: existence, ownership, and a
// mutex held by another process that goes away with it.
#include "platform/process/vxNamedMutex.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/vxCodePage.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

class NamedMutexTest : public ::testing::Test {
 protected:
  NamedMutexTest() : FRuntime("XDG_RUNTIME_DIR", Dir.File("run")) {
    std::filesystem::create_directory(Dir.File("run"));
  }
  TTestTempDir Dir;
  vxTest::TScopedEnv FRuntime;
};

TEST_F(NamedMutexTest, FolderBelowTheRuntimeFolder) {
  EXPECT_EQ(WideToUtf8(vxNamedMutex::Folder()), Dir.File("run") + "/varlo/mutex");
  EXPECT_EQ(std::filesystem::status(Dir.File("run") + "/varlo/mutex").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
}

TEST_F(NamedMutexTest, CreateOnceInAProcess) {
  EXPECT_FALSE(vxNamedMutex::Exists(u"Global\\vx svc/1"));
  EXPECT_TRUE(vxNamedMutex::Create(u"Global\\vx svc/1"));
  EXPECT_TRUE(vxNamedMutex::Exists(u"Global\\vx svc/1"));
  EXPECT_FALSE(vxNamedMutex::Create(u"Global\\vx svc/1"));
  // The name is one file name, whatever it holds.
  EXPECT_TRUE(std::filesystem::exists(Dir.File("run") + "/varlo/mutex/Global%5Cvx%20svc%2F1.exists"));
  EXPECT_EQ(vxNamedMutex::Wait(u"missing", 1000), vxNamedMutex::TWaitResult::NotFound);
}

TEST_F(NamedMutexTest, HeldByAChildUntilItEnds) {
  const ustring name = u"held-by-child";
  {
    vxTest::TChildHolding child([&] { return vxNamedMutex::Create(name); });
    ASSERT_TRUE(child.Taken());
    EXPECT_TRUE(vxNamedMutex::Exists(name));
    EXPECT_FALSE(vxNamedMutex::Create(name));
    // Owned by the child: a wait times out.
    EXPECT_EQ(vxNamedMutex::Wait(name, 50), vxNamedMutex::TWaitResult::TimedOut);
  }
  // The child ended: its locks went with it.
  EXPECT_FALSE(vxNamedMutex::Exists(name));
  EXPECT_TRUE(vxNamedMutex::Create(name));
}

TEST_F(NamedMutexTest, WaitTakesOverReleasedOwnership) {
  const ustring name = u"released";
  vxTest::TChildHolding child([&] { return vxNamedMutex::Create(name) && vxNamedMutex::Release(name); });
  ASSERT_TRUE(child.Taken());
  EXPECT_EQ(vxNamedMutex::Wait(name, 5000), vxNamedMutex::TWaitResult::Acquired);
  EXPECT_TRUE(vxNamedMutex::Release(name));
  EXPECT_FALSE(vxNamedMutex::Release(name));
}

}  // namespace
