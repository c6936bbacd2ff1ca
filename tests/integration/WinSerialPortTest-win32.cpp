#include "qrcom/port/WinSerialPort.h"

#include <gtest/gtest.h>

#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/WineEmulator.h"

// WinSerialPort under Wine against the emulator on a pty (see WineEmulatorTest).
namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::failureOf;
using QrTest::hex;

DWORD millisecondsSince(DWORD start) {
  return GetTickCount() - start;
}

using WinSerialPortTest = QrTest::WineEmulatorTest;

// 300 ms a byte on a port of this type, plus 1000, for each of a read's two tries.
TEST_F(WinSerialPortTest, SilentAndShortReadsWaitOutTheirTimeOuts) {
  const auto port = opened<WinSerialPort>();
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{50, 500})) << "an unknown port settles";
  DWORD start = GetTickCount();
  EXPECT_EQ(failureOf([&port] { port->readByte(); }),
            L"WinSerialPort::readByte -- Error while reading from port \"" + name +
                L"\". No Byte arrived.");
  EXPECT_GE(millisecondsSince(start), 2u * 1300 - 50);
  EXPECT_LT(millisecondsSince(start), 2u * 1300 + 1000);

  port->writeBuffer(hex("FF FF").data(), 2);
  uint8_t buffer[10] = {};
  start = GetTickCount();
  EXPECT_EQ(port->readBuffer(buffer, 10), 4u);
  EXPECT_EQ(Bytes(buffer, buffer + 4), hex("FE 22 FE 22"));
  EXPECT_GE(millisecondsSince(start), (300u * 10 + 1000) + (300u * 6 + 1000) - 50);

  EXPECT_EQ(failureOf([&port, &buffer] { port->readBuffer(buffer, 1); }),
            L"WinSerialPort::readBuffer --  Error while reading from port \"" + name + L"\".");
}

}  // namespace
}  // namespace QrCom
