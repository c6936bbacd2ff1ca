#include "emulator/replay/Replay.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

std::vector<TracedEvent> trace(const std::string& text) {
  std::istringstream in(text);
  return readTrace(in);
}

// An older display's wake-up and INFO mode; a probe of another port that nobody answered; an
// answer that came only after the host's time-out.
const char kInfoMode[] =
    "# a comment\n"
    "      100 COM9 open serial 19200\n"
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
  Replay* replay = nullptr;
  auto display = makeReplayDisplay(trace(kInfoMode), &replay);
  display->receive(hex("FF"));
  EXPECT_EQ(display->takeDue(), hex("FE 72"));
  display->receive(hex("AE"));
  EXPECT_TRUE(display->takeDue().empty());
  clock->advance(1010);  // the recorded time-out, then a little
  EXPECT_EQ(display->takeDue(), hex("4F"));
  display->receive(hex("49 4E 46"));
  display->receive(hex("4F 20"));
  EXPECT_EQ(display->takeDue(), hex("49 4E 46 4F 49"));
  EXPECT_TRUE(replay->complete());
  EXPECT_EQ(replay->report(), "all 7 bytes the host wrote match the trace");
}

TEST(ReplayTest, TheFirstDifferentByteIsReportedAndSilencesTheDisplay) {
  QrTest::ScopedVirtualClock clock;
  Replay* replay = nullptr;
  auto display = makeReplayDisplay(trace(kInfoMode), &replay);
  int reports = 0;
  replay->setOnDivergence([&reports] { ++reports; });
  display->receive(hex("FF AE"));
  EXPECT_EQ(replay->report(),
            "the host stopped after 2 of 7 bytes; trace line 12 expects 49 4E 46 4F 20");
  display->receive(hex("49 4E 58 58"));
  clock->advance(2000);
  EXPECT_EQ(display->takeDue(), hex("FE 72 4F")) << "nothing after the divergence";
  EXPECT_EQ(reports, 1);
  EXPECT_FALSE(replay->complete());
  EXPECT_EQ(replay->report(),
            "the host's byte 4 differs from trace line 12: expected 46 4F 20, got 58 58");
}

// A current display restarting: its USB-HID path changes, so the replay leaves the bus after
// answering the restart.
TEST(ReplayTest, ANewHidPathAfterAnAnswerIsARestart) {
  QrTest::ScopedVirtualClock clock;
  Replay* replay = nullptr;
  auto display =
      makeReplayDisplay(trace("1 hid#vid_4c7a&pid_0054#/dev/hidraw1 open hid 0\n"
                              "2 hid#vid_4c7a&pid_0054#/dev/hidraw1 write 79 54 02 99 01 16\n"
                              "3 hid#vid_4c7a&pid_0054#/dev/hidraw1 read 79 54 01 7e 16\n"
                              "4 hid#vid_4c7a&pid_0054#/dev/hidraw1 close\n"
                              "5 hid#vid_4c7a&pid_0054#/dev/hidraw2 open hid 0\n"
                              "6 hid#vid_4c7a&pid_0054#/dev/hidraw2 write 00\n"
                              "7 hid#vid_4c7a&pid_0054#/dev/hidraw2 read 00\n"),
                        &replay);
  EXPECT_EQ(display->modelId(), 0x54);
  display->receive(hex("79 54 02 99 01 16"));
  EXPECT_EQ(display->takeDue(), hex("79 54 01 7E 16"));
  EXPECT_FALSE(display->onUsb());
  EXPECT_EQ(display->usbGeneration(), 1u);
}

TEST(ReplayTest, ALineThatIsNoEventIsRefusedWithItsNumber) {
  for (const char* bad : {"12 COM3 read 4\n", "12 COM3 write zz\n", "12 COM3 timeout\n"}) {
    EXPECT_THROW(
        try { trace(std::string("# first\n") + bad); } catch (const std::invalid_argument& error) {
          EXPECT_EQ(std::string(error.what()).rfind("trace line 2: ", 0), 0u) << error.what();
          throw;
        },
        std::invalid_argument)
        << bad;
  }
}

}  // namespace
}  // namespace QrEmu
