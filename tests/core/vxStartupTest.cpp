// Tests of core/vxStartup.h: the library's start-up routine: the units' start-
// up steps, run once in link order when the library loads.
#include "core/vxStartup.h"
#include "core/internal/vxStartupReset.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/vxExceptions.h"

namespace {

std::string g_trace;

TEST(Startup, RunsStepsInOrderAndFinalisesInReverse) {
  vxStartup::ResetForTests();
  g_trace.clear();
  const vxStartup::TStartupStep steps[] = {
      {"a", [] { g_trace += "A"; }, [] { g_trace += "a"; }},
      {"b", [] { g_trace += "B"; }, nullptr},
      {"c", [] { g_trace += "C"; }, [] { g_trace += "c"; }},
  };
  EXPECT_TRUE(vxStartup::Run(steps));
  EXPECT_TRUE(vxStartup::Run(steps));  // only once
  vxStartup::Shutdown();
  EXPECT_EQ(g_trace, "ABCca");
  EXPECT_FALSE(vxStartup::Failed());
  vxStartup::ResetForTests();
}

TEST(Startup, FailingStepStopsAndIsRecorded) {
  vxStartup::ResetForTests();
  g_trace.clear();
  const vxStartup::TStartupStep steps[] = {
      {"a", [] { g_trace += "A"; }, [] { g_trace += "a"; }},
      {"math", [] { throw Exception("TvxMath.Selftest failed!"); }, nullptr},
      {"c", [] { g_trace += "C"; }, nullptr},
  };
  EXPECT_FALSE(vxStartup::Run(steps));
  EXPECT_TRUE(vxStartup::Failed());
  EXPECT_EQ(vxStartup::FailureMessage(), u"TvxMath.Selftest failed!");
  vxStartup::Shutdown();
  EXPECT_EQ(g_trace, "Aa");
  // The failure is still known after the finalisations (every command of
  // the library reports it); the release at the end of an unload forgets it.
  EXPECT_TRUE(vxStartup::Failed());
  vxStartup::Release();
  EXPECT_FALSE(vxStartup::Failed());
  EXPECT_EQ(vxStartup::FailureMessage(), u"");
  // While the process runs, an unload is no process end.
  EXPECT_FALSE(vxStartup::ProcessEnding());
  vxStartup::ResetForTests();
}

}  // namespace
