#include "emulator/Display.h"

#include <gtest/gtest.h>

#include "emulator/modules/Identification.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

// A fault chosen for the host's write number N takes effect before the display hears that
// write, and only once.
TEST(DisplayTest, FaultsScheduledForAWriteStartWithIt) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x54, 0x0103);
  display.add<Identification>();
  auto exchange = [&display] {
    display.receive(QrTest::hex("FF"));
    return display.takeDue();
  };
  Faults silent;
  silent.silent = true;
  display.setFaultsAtWrite(3, silent);
  EXPECT_EQ(exchange(), QrTest::hex("FE 54"));
  EXPECT_EQ(exchange(), QrTest::hex("FE 54"));
  EXPECT_TRUE(exchange().empty()) << "the third write is not heard any more";
  EXPECT_EQ(display.hostWrites(), 3u);
  display.setFaults({});
  EXPECT_EQ(exchange(), QrTest::hex("FE 54")) << "a schedule fires once";
}

}  // namespace
}  // namespace QrEmu
