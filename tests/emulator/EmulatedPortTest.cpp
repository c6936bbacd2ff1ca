#include "emulator/EmulatedPort.h"

#include <gtest/gtest.h>

#include "emulator/Catalog.h"
#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// Answers 0xAA with `count` bytes 01 02 ... after `delay` ms.
class Counter : public Module {
 public:
  Counter(uint8_t count, uint32_t delay) : count_(count), delay_(delay) {}
  bool onByte(Display& display, uint8_t byte) override {
    if (byte != 0xAA) return false;
    Bytes answer;
    for (uint8_t i = 1; i <= count_; ++i) answer.push_back(i);
    display.send(answer, delay_);
    return true;
  }

 private:
  uint8_t count_;
  uint32_t delay_;
};

class EmulatedPortTest : public ::testing::Test {
 protected:
  QrTest::ScopedVirtualClock clock;
  Display display{0x54, 0x0103};
};

TEST_F(EmulatedPortTest, TalksToTheDisplayInTheWritersCall) {
  auto full = makeDisplay(0x54, 0x0103);
  EmulatedPort port(*full, &*clock);
  EXPECT_EQ(full->hostLineRate(), 19200u);
  port.writeByte(0xFF);
  EXPECT_EQ(port.readByte(), 0xFE);
  EXPECT_EQ(port.readByte(), 0x54);
  EXPECT_EQ(clock->now(), 0u);
  EXPECT_TRUE(clock->pauses().empty());
  port.setBaudRate(115200);
  EXPECT_EQ(full->hostLineRate(), 115200u);
}

TEST_F(EmulatedPortTest, SilenceCostsTheComTimeOuts) {
  EmulatedPort port(display, &*clock);
  EXPECT_EQ(QrTest::failureOf([&port] { port.readByte(); }),
            L"EmulatedPort::readByte -- Error while reading from port \"emulated\". No Byte "
            L"arrived.");
  EXPECT_EQ(clock->now(), 2 * 1100u);

  EmulatedPort adapter(display, &*clock, QrCom::PortType::UsbSerialAdapter);
  uint8_t buffer[10];
  EXPECT_EQ(QrTest::failureOf([&] { adapter.readBuffer(buffer, 10); }),
            L"EmulatedPort::readBuffer --  Error while reading from port \"emulated\".");
  EXPECT_EQ(clock->now(), 2200u + 2 * 4000u);
}

TEST_F(EmulatedPortTest, DelayedAnswersArriveWhileTheHostWaits) {
  display.add<Counter>(1, 1500);
  EmulatedPort port(display, &*clock);

  port.writeByte(0xAA);  // later than the first read's 1100 ms, within the second's
  EXPECT_EQ(port.readByte(), 0x01);
  EXPECT_EQ(clock->now(), 1500u);

  display.setAnswerDelay(2500);  // later than both reads
  port.writeByte(0xAA);
  EXPECT_THROW(port.readByte(), QrCom::CannotReadFromPortException);
  EXPECT_EQ(clock->now(), 1500u + 2200u);
  EXPECT_EQ(port.readByte(), 0x01);  // still on its way, now it comes
  EXPECT_EQ(clock->now(), 1500u + 4000u);
}

TEST_F(EmulatedPortTest, ShortReadsReturnTheCountAfterTheRetry) {
  display.add<Counter>(4, 0);
  EmulatedPort port(display, &*clock);
  port.writeByte(0xAA);
  uint8_t buffer[10] = {};
  EXPECT_EQ(port.readBuffer(buffer, 10), 4u);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_EQ(clock->now(), 2000u + 1600u);  // 10 bytes, then the remaining 6

  port.writeByte(0xAA);
  EXPECT_EQ(port.readBuffer(buffer, 10, false), 4u);
  EXPECT_EQ(clock->now(), 3600u + 2000u);
}

TEST_F(EmulatedPortTest, PurgeDropsWhatArrivedButNotWhatIsOnItsWay) {
  display.add<Counter>(2, 0);
  EmulatedPort port(display, &*clock);
  port.writeByte(0xAA);
  port.purge();
  display.setAnswerDelay(300);
  port.writeByte(0xAA);
  port.purge();
  uint8_t buffer[2];
  EXPECT_EQ(port.readBuffer(buffer, 2), 2u);
  EXPECT_EQ(clock->now(), 300u);
}

TEST_F(EmulatedPortTest, UnpluggedAndBusyPorts) {
  display.setBusy(true);
  EXPECT_EQ(QrTest::failureOf([&] { EmulatedPort port(display, &*clock); }),
            L"EmulatedPort::openPort --  Port \"emulated\" can't be opened.");
  display.setBusy(false);

  EmulatedPort port(display, &*clock, QrCom::PortType::NativeSerial, L"COM3");
  display.unplug();
  EXPECT_EQ(QrTest::failureOf([&port] { port.writeByte(0xFF); }),
            L"EmulatedPort::writeBuffer -- Error while writing Buffer to port \"COM3\".");
  EXPECT_EQ(QrTest::failureOf([&port] { port.readByte(); }),
            L"EmulatedPort::readByte -- Error while reading from port \"COM3\".");
  uint8_t buffer[4];
  EXPECT_THROW(port.readBuffer(buffer, 4), QrCom::CannotReadFromPortException);
  EXPECT_EQ(clock->now(), 0u) << "a pulled adapter fails at once";
}

}  // namespace
}  // namespace QrEmu
