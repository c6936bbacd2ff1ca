#include "emulator/EmulatedPort.h"

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

// Answers 0xAA with 01 after 1500 ms.
class LateAnswer : public Module {
 public:
  bool onByte(Display& display, uint8_t byte) override {
    if (byte != 0xAA) return false;
    display.send({0x01}, 1500);
    return true;
  }
};

// The in-process port waits as the system's ports do, on the virtual clock: a read tries twice
// (1100 ms a byte on a native port, 4000 for ten on an adapter) before it fails.
TEST(EmulatedPortTest, ReadsWaitOutTheComTimeOuts) {
  QrTest::ScopedVirtualClock clock;
  Display display{0x54, 0x0103};
  display.add<LateAnswer>();
  EmulatedPort port(display, &*clock);
  EXPECT_EQ(QrTest::failureOf([&port] { port.readByte(); }),
            L"EmulatedPort::readByte -- Error while reading from port \"emulated\". No Byte "
            L"arrived.");
  EXPECT_EQ(clock->now(), 2 * 1100u);
  port.writeByte(0xAA);  // later than the first try's 1100 ms, within the second's
  EXPECT_EQ(port.readByte(), 0x01);
  EXPECT_EQ(clock->now(), 2200u + 1500u);

  EmulatedPort adapter(display, &*clock, QrCom::PortType::UsbSerialAdapter);
  uint8_t buffer[10];
  EXPECT_EQ(QrTest::failureOf([&] { adapter.readBuffer(buffer, 10); }),
            L"EmulatedPort::readBuffer --  Error while reading from port \"emulated\".");
  EXPECT_EQ(clock->now(), 3700u + 2 * 4000u);
}

}  // namespace
}  // namespace QrEmu
