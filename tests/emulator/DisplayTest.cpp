#include "emulator/Display.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// Claims AE and answers it with a two-step dialogue: the next byte is echoed.
class EchoModule : public Module {
 public:
  bool onByte(Display& display, uint8_t byte) override {
    if (byte != 0xAE) return false;
    display.expectOneByte([&display](uint8_t next) { display.send({next}); });
    return true;
  }
};

// A fault chosen for the host's write number N takes effect before the display hears that
// write, and only once.
TEST(DisplayTest, FaultsScheduledForAWriteStartWithIt) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<EchoModule>();
  auto exchange = [&display](const std::string& written) {
    display.receive(hex(written));
    return display.takeDue();
  };
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
}

}  // namespace
}  // namespace QrEmu
