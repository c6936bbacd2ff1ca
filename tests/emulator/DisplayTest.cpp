#include "emulator/Display.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// Claims one byte in one mode and answers it with a two-step dialogue: the next byte is
// echoed after `delay` ms.
class EchoModule : public Module {
 public:
  EchoModule(uint8_t command, Mode mode, uint32_t delay = 0)
      : command_(command), mode_(mode), delay_(delay) {}
  bool onByte(Display& display, uint8_t byte) override {
    if (byte != command_ || display.mode() != mode_) return false;
    display.expectOneByte([this, &display](uint8_t next) { display.send({next}, delay_); });
    return true;
  }
  void onReset(Display&) override { ++resets; }
  int resets = 0;

 private:
  uint8_t command_;
  Mode mode_;
  uint32_t delay_;
};

class PacketModule : public Module {
 public:
  bool onPacket(Display& display, const Packet& packet) override {
    if (packet.type != 0xC2) return false;
    display.sendPacket(0xC2, {'1', '2'});
    return true;
  }
};

TEST(DisplayTest, ModulesClaimExchangesInOrderAndByMode) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<EchoModule>(0xAE, Mode::Info);
  auto& normal = display.add<EchoModule>(0xAE, Mode::Normal, 0);

  display.receive(hex("AE 41"));
  EXPECT_EQ(display.takeDue(), hex("41"));

  display.setMode(Mode::Info);
  display.receive(hex("AE 42 AE"));  // the first module now; the second AE waits for its byte
  EXPECT_EQ(display.takeDue(), hex("42"));
  display.endDialogue();
  EXPECT_EQ(normal.resets, 1);
  display.receive(hex("43"));  // the dialogue was dropped: nobody claims 43
  EXPECT_TRUE(display.takeDue().empty());
}

TEST(DisplayTest, UnclaimedPacketsGoToPacketHandlers) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x22, 0x0103);
  display.add<PacketModule>();
  display.receive(hex("79 22 01 C2 16"));
  EXPECT_EQ(display.takeDue(), hex("79 22 03 C2 31 32 16"));

  display.receive(hex("79 22 01 C2 17"));  // a wrong end byte: dropped
  display.receive(hex("79 22 01 C1 16"));  // nobody handles C1
  EXPECT_TRUE(display.takeDue().empty());
}

TEST(DisplayTest, DelayedAnswersKeepTheirOrder) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<EchoModule>(0xAE, Mode::Normal, 500);
  display.receive(hex("AE 01"));
  display.send({0x02});  // no delay, but it can't overtake the earlier answer
  EXPECT_EQ(display.nextRelease(), 500u);
  clock->advance(499);
  EXPECT_TRUE(display.takeDue().empty());
  clock->advance(1);
  EXPECT_EQ(display.takeDue(), hex("01 02"));
  EXPECT_FALSE(display.nextRelease());
}

TEST(DisplayTest, AnswerFaults) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<EchoModule>(0xAE, Mode::Normal);

  display.setWrongAnswers(true);
  display.receive(hex("AE 0F"));
  EXPECT_EQ(display.takeDue(), hex("F0"));
  display.setWrongAnswers(false);

  display.setGarbage(3);
  display.receive(hex("AE 0F"));
  const Bytes noisy = display.takeDue();
  ASSERT_EQ(noisy.size(), 4u);
  EXPECT_EQ(noisy[3], 0x0F);
  display.receive(hex("AE 0F"));
  EXPECT_NE(display.takeDue(), noisy) << "the noise changes from answer to answer";
  display.setGarbage(0);

  display.setAnswerDelay(1000);
  display.receive(hex("AE 0F"));
  EXPECT_EQ(display.nextRelease(), 1000u);
  display.setAnswerDelay(0);

  display.setSilent(true);
  display.receive(hex("AE"));
  display.setSilent(false);
  display.receive(hex("0F"));  // AE was never heard: 0F starts nothing
  clock->advance(1000);
  EXPECT_EQ(display.takeDue(), hex("0F"));  // only the delayed one
}

TEST(DisplayTest, UnplugLosesTheDialogueUntilPluggedBackIn) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  auto& module = display.add<EchoModule>(0xAE, Mode::Normal, 100);
  int wakeUps = 0;
  display.setListener([&wakeUps] { ++wakeUps; });
  display.receive(hex("AE 01 AE"));
  display.unplug();
  EXPECT_EQ(module.resets, 1);
  EXPECT_FALSE(display.nextRelease());
  display.receive(hex("AE 01"));
  clock->advance(200);
  EXPECT_TRUE(display.takeDue().empty());
  EXPECT_TRUE(display.faults().unplugged);

  display.plugIn();
  display.receive(hex("02"));  // the AE before the unplug is forgotten
  display.receive(hex("AE 03"));
  clock->advance(100);
  EXPECT_EQ(display.takeDue(), hex("03"));
  EXPECT_EQ(wakeUps, 4);  // answer, unplug, plug-in, answer

  Faults pulled;
  pulled.unplugged = true;
  pulled.silent = true;
  display.setFaults(pulled);
  display.receive(hex("AE"));
  EXPECT_EQ(module.resets, 2);
  display.setFaults({});
  EXPECT_FALSE(display.faults().unplugged || display.faults().silent);
  display.receive(hex("04"));  // the AE went nowhere
  clock->advance(100);
  EXPECT_TRUE(display.takeDue().empty());
}

TEST(DisplayTest, FaultsScheduledForAWriteStartWithIt) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<EchoModule>(0xAE, Mode::Normal);
  Faults silent;
  silent.silent = true;
  display.setFaultsAtWrite(3, silent);
  display.receive(hex("AE"));
  display.receive(hex("01"));
  EXPECT_EQ(display.takeDue(), hex("01"));
  display.receive(hex("AE 02"));  // the third write is not heard any more
  EXPECT_TRUE(display.takeDue().empty());
  EXPECT_EQ(display.hostWrites(), 3u);

  display.setFaults({});
  display.receive(hex("AE 04"));
  EXPECT_EQ(display.takeDue(), hex("04"));  // a schedule fires once

  Faults unplugged;
  unplugged.unplugged = true;
  display.setFaultsAtWrite(5, unplugged);
  display.receive(hex("AE 05"));
  EXPECT_TRUE(display.faults().unplugged);
  EXPECT_TRUE(display.takeDue().empty());
}

TEST(DisplayTest, TraceSeesWhatCrossesTheLine) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<EchoModule>(0xAE, Mode::Normal, 10);
  std::vector<TraceEvent> seen;
  display.setTrace([&seen](const TraceEvent& event) { seen.push_back(event); });
  display.receive(hex("AE 05"));
  display.takeDue();  // not yet due: nothing crossed
  clock->advance(10);
  display.takeDue();
  display.setHostLineRate(57600);
  display.setHostLineRate(57600);  // set up again: seen again
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].kind, TraceEvent::FromHost);
  EXPECT_EQ(seen[0].bytes, hex("AE 05"));
  EXPECT_EQ(seen[1].kind, TraceEvent::ToHost);
  EXPECT_EQ(seen[1].bytes, hex("05"));
  EXPECT_EQ(seen[2].kind, TraceEvent::LineRate);
  EXPECT_EQ(seen[2].baud, 57600u);
  EXPECT_EQ(display.hostLineRate(), 57600u);
}

}  // namespace
}  // namespace QrEmu
