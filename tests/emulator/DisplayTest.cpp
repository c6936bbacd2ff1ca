#include "emulator/Display.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// Claims AE and answers it with a two-step dialogue: the next byte is echoed after 100 ms.
class EchoModule : public Module {
 public:
  bool onByte(Display& display, uint8_t byte) override {
    if (byte != 0xAE) return false;
    display.expectOneByte([&display](uint8_t next) { display.send({next}, 100); });
    return true;
  }
  void onReset(Display&) override { ++resets; }
  int resets = 0;
};

class DisplayTest : public ::testing::Test {
 protected:
  // What the display answers to `written` within 100 ms.
  Bytes exchange(const std::string& written) {
    display.receive(hex(written));
    clock->advance(100);
    return display.takeDue();
  }

  QrTest::ScopedVirtualClock clock;
  Display display{0x54, 0x0103};
  EchoModule& module = display.add<EchoModule>();
};

TEST_F(DisplayTest, UnplugLosesTheDialogueAndWhatWasOnItsWay) {
  int wakeUps = 0;
  display.setListener([&wakeUps] { ++wakeUps; });
  display.receive(hex("AE 01 AE"));
  display.unplug();
  EXPECT_EQ(module.resets, 1);
  EXPECT_FALSE(display.nextRelease());
  EXPECT_TRUE(exchange("AE 01").empty());
  display.plugIn();
  EXPECT_TRUE(exchange("02").empty()) << "the AE before the unplug is forgotten";
  EXPECT_EQ(exchange("AE 03"), hex("03"));
  EXPECT_EQ(wakeUps, 4);  // answer, unplug, plug-in, answer
}

TEST_F(DisplayTest, FaultsScheduledForAWriteStartWithIt) {
  Faults silent;
  silent.silent = true;
  display.setFaultsAtWrite(3, silent);
  display.receive(hex("AE"));
  EXPECT_EQ(exchange("01"), hex("01"));
  EXPECT_TRUE(exchange("AE 02").empty()) << "the third write is not heard any more";
  EXPECT_EQ(display.hostWrites(), 3u);
  display.setFaults({});
  EXPECT_EQ(exchange("AE 04"), hex("04")) << "a schedule fires once";

  Faults unplugged;
  unplugged.unplugged = true;
  display.setFaultsAtWrite(5, unplugged);
  EXPECT_TRUE(exchange("AE 05").empty());
  EXPECT_TRUE(display.faults().unplugged);
  EXPECT_EQ(module.resets, 1);
}

}  // namespace
}  // namespace QrEmu
