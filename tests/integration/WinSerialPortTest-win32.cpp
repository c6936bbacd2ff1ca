#include "qrcom/port/WinSerialPort.h"

#include <gtest/gtest.h>

#include <thread>

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

TEST_F(WinSerialPortTest, OpensAndSetsUpThePort) {
  {
    const auto port = opened<WinSerialPort>();
    EXPECT_EQ(port->getPortType(), PortType::Unclassified);  // Wine lists no COM devices
    EXPECT_EQ(port->getBaudRate(), 19200u);
    EXPECT_FALSE(port->canChangeBaudRate());
    EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{50, 500}));

    HANDLE other = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DCB control{};
    control.DCBlength = sizeof control;
    EXPECT_TRUE(GetCommState(other, &control));
    CloseHandle(other);
    EXPECT_EQ(control.BaudRate, 19200u);
    EXPECT_EQ(control.ByteSize, 8);
    EXPECT_EQ(control.StopBits, ONESTOPBIT);
    EXPECT_FALSE(control.fOutX || control.fInX || control.fOutxCtsFlow);

    port->writeByte(0xFF);
    EXPECT_EQ(port->readByte(), 0xFE);
    EXPECT_EQ(port->readByte(), 0x22);
  }
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{50, 500, 500})) << "closing settles too";
}

TEST_F(WinSerialPortTest, SilentReadsCostTheirTimeOuts) {
  const auto port = opened<WinSerialPort>();
  DWORD start = GetTickCount();
  EXPECT_EQ(failureOf([&port] { port->readByte(); }),
            L"WinSerialPort::readByte -- Error while reading from port \"" + name +
                L"\". No Byte arrived.");
  EXPECT_GE(millisecondsSince(start), 2u * 1300 - 50);  // 300 ms a byte on this port type
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

TEST_F(WinSerialPortTest, SetBaudRateWritesOnlyARateThatChanges) {
  const auto port = opened<WinSerialPort>();
  Sleep(300);
  const size_t before = logLines("display 1 line").size();
  port->setBaudRate(19200);
  Sleep(300);
  EXPECT_EQ(logLines("display 1 line").size(), before) << "the active rate is left alone";
  port->setBaudRate(57600);
  EXPECT_EQ(port->getBaudRate(), 57600u);
  Sleep(300);
  const std::vector<std::string> lines = logLines("display 1 line");
  ASSERT_GT(lines.size(), before);
  EXPECT_NE(lines.back().find("57600 baud"), std::string::npos) << lines.back();
}

TEST_F(WinSerialPortTest, UnplugInTheMiddleOfAReadEndsInAPortException) {
  const auto port = opened<WinSerialPort>();
  std::thread puller([this] {
    Sleep(300);
    command("unplug");
  });
  const DWORD start = GetTickCount();
  // Windows fails the read of a pulled adapter at once; Wine reads a hung-up tty as silence
  // and ends the read at its time-out. Either way the read ends in the port's exception.
  const std::wstring message = failureOf([&port] { port->readByte(); });
  EXPECT_TRUE(message ==
                  L"WinSerialPort::readByte -- Error while reading from port \"" + name + L"\"." ||
              message == L"WinSerialPort::readByte -- Error while reading from port \"" + name +
                             L"\". No Byte arrived.")
      << message;
  EXPECT_LT(millisecondsSince(start), 2u * 1300 + 1000);
  puller.join();

  EXPECT_EQ(failureOf([&port] { port->writeByte(0xFF); }),
            L"WinSerialPort::writeBuffer -- Error while writing Buffer to port \"" + name + L"\".");
  EXPECT_EQ(
      failureOf([&port] { port->setBaudRate(57600); }),
      L"WinSerialPort::setBaudRate --  Error while reading Settings for Port \"" + name + L"\" ");
  EXPECT_EQ(port->getBaudRate(), 57600u) << "stored before anything can fail";
}

TEST_F(WinSerialPortTest, APortHeldByAnotherProgramIsRefusedAfterTenRounds) {
  command("busy");
  ASSERT_TRUE(becomes(ERROR_ACCESS_DENIED));
  EXPECT_EQ(failureOf([this] { WinSerialPort port(number); }),
            L"WinSerialPort::openPort --  Port \"" + name + L"\" can't be opened.");
  // No resident driver: nothing to release, but every round ends with the resume's pause.
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>(10, 750));
}

}  // namespace
}  // namespace QrCom
