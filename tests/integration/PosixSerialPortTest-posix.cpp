#include "qrcom/port/PosixSerialPort.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "emulator/Catalog.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/Elapsed.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::hex;
using QrTest::failureOf;
using QrTest::millisecondsSince;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A display on a real pty behind a PosixSerialPort; protocol pauses on a virtual clock, read
// time-outs in real time.
class PosixSerialPortTest : public ::testing::Test {
 protected:
  PosixSerialPortTest() {
    display->setTrace([this](const QrEmu::TraceEvent& event) {
      if (event.kind == QrEmu::TraceEvent::LineRate) ++lineSetUps;
    });
    server.start();
  }

  std::unique_ptr<PosixSerialPort> open() { return std::make_unique<PosixSerialPort>(name, 7); }
  // open() where it must work: a failure says why.
  std::unique_ptr<PosixSerialPort> opened() {
    try {
      return open();
    } catch (const QrException& error) {
      ADD_FAILURE() << toUtf8(error.getMessage());
      throw;
    }
  }

  QrTest::ScopedVirtualClock clock;
  std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(0x22, 0x0102);
  std::atomic<int> lineSetUps{0};
  QrEmu::PtyServer server;
  const std::string path = server.add(*display).path();
  const std::wstring name = fromUtf8(path);
};

TEST_F(PosixSerialPortTest, OpensAndSetsUpTheTty) {
  {
    auto port = opened();
    EXPECT_EQ(port->getPortType(), PortType::Unclassified);  // a pty has no device
    EXPECT_EQ(port->getBaudRate(), 19200u);
    EXPECT_FALSE(port->canChangeBaudRate());
    EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{50, 500}));

    // A pty keeps no parity; everything else is as set. Only root gets past TIOCEXCL here.
    termios settings{};
    const int other = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (other >= 0) {
      ASSERT_EQ(tcgetattr(other, &settings), 0);
      close(other);
      EXPECT_EQ(cfgetospeed(&settings), B19200);
      EXPECT_EQ(settings.c_cflag & (CSIZE | CSTOPB | CRTSCTS | CLOCAL | CREAD),
                tcflag_t{CS8 | CLOCAL | CREAD});
      EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
      EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL), 0u);
      EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    } else {
      EXPECT_EQ(errno, EBUSY);
    }

    port->writeByte(0xFF);
    EXPECT_EQ(port->readByte(), 0xFE);
    EXPECT_EQ(port->readByte(), 0x22);
    const uint8_t request[] = {0x0C};
    port->writeBuffer(request, 1);
    uint8_t answer[5] = {};
    EXPECT_EQ(port->readBuffer(answer, 5), 5u);
    EXPECT_EQ(Bytes(answer, answer + 5), hex("06 0C 01 02 16"));
  }
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{50, 500, 500})) << "closing settles too";
}

// A pty keeps the odd bit of a parity request but drops its enable bit, so the next identical
// request changes nothing and the C library refuses it: the port must open all the same.
TEST(PlainPtyTest, OpensAgainAfterAnOpenLeftItWithOddParity) {
  int master = -1;
  int slave = -1;
  char name[128];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  close(slave);
  QrTest::ScopedVirtualClock clock;
  for (int round = 0; round < 2; ++round) {
    try {
      PosixSerialPort port(fromUtf8(name));
    } catch (const QrException& error) {
      ADD_FAILURE() << "open " << round << ": " << toUtf8(error.getMessage());
    }
  }
  termios settings{};
  const int tty = ::open(name, O_RDWR | O_NOCTTY);
  ASSERT_EQ(tcgetattr(tty, &settings), 0);
  EXPECT_EQ(settings.c_cflag & (PARENB | PARODD), tcflag_t{PARODD});
  close(tty);
  close(master);
}

// 300 ms a byte on a port that isn't native, plus 1000, for each of a read's two tries.
TEST_F(PosixSerialPortTest, SilentAndShortReadsWaitOutTheirTimeOuts) {
  auto port = opened();
  auto start = steady_clock::now();
  EXPECT_EQ(failureOf([&port] { port->readByte(); }),
            L"PosixSerialPort::readByte -- Error while reading from port \"" + name +
                L"\". No Byte arrived.");
  EXPECT_GE(millisecondsSince(start), 2 * 1300 - 20);
  EXPECT_LT(millisecondsSince(start), 2 * 1300 + 700);

  port->writeBuffer(hex("FF FF").data(), 2);
  uint8_t buffer[10] = {};
  start = steady_clock::now();
  EXPECT_EQ(port->readBuffer(buffer, 10), 4u);
  EXPECT_EQ(Bytes(buffer, buffer + 4), hex("FE 22 FE 22"));
  EXPECT_GE(millisecondsSince(start), (300 * 10 + 1000) + (300 * 6 + 1000) - 20);
  EXPECT_EQ(failureOf([&port, &buffer] { port->readBuffer(buffer, 1); }),
            L"PosixSerialPort::readBuffer --  Error while reading from port \"" + name + L"\".");
}

TEST_F(PosixSerialPortTest, ASecondProgramIsRefused) {
  auto first = opened();
  const std::wstring refused =
      L"PosixSerialPort::openPort --  Port \"" + name + L"\" can't be opened.";
  EXPECT_EQ(failureOf([this] { open(); }), refused);
  first.reset();

  display->setBusy(true);  // another program holds the tty
  for (int i = 0; i < 100 && failureOf([this] { open(); }) != refused; ++i) {
    std::this_thread::sleep_for(milliseconds(10));
  }
  EXPECT_EQ(failureOf([this] { open(); }), refused);
  display->setBusy(false);

  const std::wstring missing = name + L"-missing";
  EXPECT_EQ(failureOf([&missing] { PosixSerialPort port(missing, 9); }),
            L"PosixSerialPort::setPortParameters --  Error while reading Settings for Port \"" +
                missing + L"\" ");
}

TEST_F(PosixSerialPortTest, UnplugInTheMiddleOfAReadFailsAtOnce) {
  auto port = opened();
  std::thread puller([this] {
    std::this_thread::sleep_for(milliseconds(200));
    display->unplug();
  });
  const auto start = steady_clock::now();
  EXPECT_EQ(failureOf([&port] { port->readByte(); }),
            L"PosixSerialPort::readByte -- Error while reading from port \"" + name + L"\".");
  EXPECT_LT(millisecondsSince(start), 1500);
  puller.join();
  EXPECT_EQ(
      failureOf([&port] { port->writeByte(0xFF); }),
      L"PosixSerialPort::writeBuffer -- Error while writing Buffer to port \"" + name + L"\".");
}

TEST_F(PosixSerialPortTest, SetBaudRateWritesOnlyARateThatChanges) {
  auto port = opened();
  auto setUpsSettle = [this](int expected) {
    for (int i = 0; i < 100 && lineSetUps != expected; ++i) {
      std::this_thread::sleep_for(milliseconds(10));
    }
    std::this_thread::sleep_for(milliseconds(50));
    return lineSetUps.load();
  };
  const int before = setUpsSettle(lineSetUps.load());
  port->setBaudRate(19200);
  EXPECT_EQ(setUpsSettle(before), before) << "the active rate is left alone";
  port->setBaudRate(57600);
  EXPECT_EQ(setUpsSettle(before + 1), before + 1);
  EXPECT_EQ(display->hostLineRate(), 57600u);
  EXPECT_EQ(port->getBaudRate(), 57600u);

  EXPECT_EQ(failureOf([&port] { port->setBaudRate(12345); }),
            L"PosixSerialPort::setBaudRate -- Error while writing COM-Settings for port \"" + name +
                L"\".");
  EXPECT_EQ(port->getBaudRate(), 12345u) << "stored before anything can fail";
}

}  // namespace
}  // namespace QrCom
