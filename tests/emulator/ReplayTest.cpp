#include "emulator/replay/Replay.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// An older display's wake-up and INFO mode; a probe of another port that nobody answered; an
// answer that came only after the host's time-out.
const char kInfoMode[] =
    "      200 COM9 write ff\n"
    "      300 COM3 open serial 19200\n"
    "      400 COM3 write ff\n"
    "      500 COM3 read fe\n"
    "      600 COM3 read 72\n"
    "      700 COM3 write ae\n"
    "  1000700 COM3 timeout 1\n"
    "  1000800 COM3 read 4f\n"
    "  1000900 COM3 pause 50\n"
    "  1001000 COM3 write 49 4e 46 4f 20\n"
    "  1001100 COM3 read 49 4e 46 4f 49\n";

TEST(ReplayTest, EachRecordedWriteReleasesItsAnswerAsLateAsRecorded) {
  QrTest::ScopedVirtualClock clock;
  std::istringstream text{kInfoMode};
  Replay* replay = nullptr;
  std::unique_ptr<Display> display = makeReplayDisplay(readTrace(text), &replay);
  display->receive(hex("FF"));
  EXPECT_EQ(display->takeDue(), hex("FE 72"));
  display->receive(hex("AE"));
  EXPECT_TRUE(display->takeDue().empty());
  clock->advance(1010);  // the recorded time-out, then a little
  EXPECT_EQ(display->takeDue(), hex("4F"));
  display->receive(hex("49 4E 46"));
  display->receive(hex("4F 20"));
  EXPECT_EQ(display->takeDue(), hex("49 4E 46 4F 49"));
  EXPECT_EQ(replay->report(), "all 7 bytes the host wrote match the trace");
  display->receive(hex("FF"));
  EXPECT_EQ(replay->report(),
            "the host's byte 7 goes beyond the recording: expected nothing, got FF");
  std::istringstream bad("12 COM3 read 4\n");
  EXPECT_THROW(readTrace(bad), std::invalid_argument);
}

}  // namespace
}  // namespace QrEmu
