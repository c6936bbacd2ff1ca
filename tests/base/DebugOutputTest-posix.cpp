// On Linux debug lines go to standard error, and only once the program was asked to be verbose
// (on Windows they go to the debugger).
#include <gtest/gtest.h>

#include "qrcom/base/DebugOutput.h"

namespace QrCom {
namespace {

TEST(DebugOutputTest, LinesReachStandardErrorOnlyInVerboseRuns) {
  ::testing::internal::CaptureStderr();
  debugOutput(L"not shown\n");
  setVerboseDebugOutput(true);
  debugOutput(L"shown \u00e4\n");
  setVerboseDebugOutput(false);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "shown \xC3\xA4\n");
}

}  // namespace
}  // namespace QrCom
