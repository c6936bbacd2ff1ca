// The screen reader's daemon holding a display's tty or USB-HID device: the ports borrow the
// device from it through BrlAPI (a test daemon on a loopback port) and give it back.
#include "qrcom/port/ScreenReaderDriver.h"

#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

#include "qrcom/base/Utf8.h"
#include "qrcom/port/HidPort.h"
#include "qrcom/port/PosixSerialPort.h"
#include "tests/support/BrlapiTestServer.h"
#include "tests/support/Elapsed.h"
#include "tests/support/Failures.h"
#include "tests/support/LockedTty.h"
#include "tests/support/ScriptedHid.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::BrlapiTestServer;
using QrTest::LockedTty;
using Requests = std::vector<std::string>;

class ScreenReaderDriverTest : public ::testing::Test {
 protected:
  ScreenReaderDriverTest() {
    char name[128];
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) std::abort();
    tty = name;
  }
  void SetUp() override {
    if (!QR_WITH_BRLAPI) GTEST_SKIP() << "built without the BrlAPI client library";
  }
  ~ScreenReaderDriverTest() override {
    useScreenReaderDaemon(std::nullopt);
    ::close(slave_);
    ::close(master_);
  }
  void expectRefused() {
    EXPECT_EQ(QrTest::failureOf([this] { PosixSerialPort port(fromUtf8(tty)); }),
              L"PosixSerialPort::openPort --  Port \"" + fromUtf8(tty) + L"\" can't be opened.");
  }

  int master_ = -1, slave_ = -1;
  std::string tty;
};

// The driver lets go when suspended and takes the tty again when resumed; a tty that another
// program holds stays refused after one suspension, not ten.
TEST_F(ScreenReaderDriverTest, ATtyTheDriverHoldsIsBorrowedAndGivenBack) {
  LockedTty driver(tty);
  ASSERT_TRUE(driver.take());
  BrlapiTestServer daemon([&driver](bool run) { return driver.driverRuns(run); });
  useScreenReaderDaemon(daemon.host());
  QrTest::ScopedVirtualClock clock;
  const auto start = std::chrono::steady_clock::now();
  {
    PosixSerialPort port(fromUtf8(tty));
    EXPECT_EQ(daemon.requests(), (Requests{"name", "suspend TestDriver"}));
  }
  EXPECT_LT(QrTest::millisecondsSince(start), 1000) << "the daemon's answers end the waits";
  EXPECT_EQ(daemon.requests(), (Requests{"name", "suspend TestDriver", "resume"}));
  // Let go, purge, settle on opening and on closing, then the driver resumes.
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{750, 50, 500, 500, 750}));

  driver.letGo();
  LockedTty otherProgram(tty);
  ASSERT_TRUE(otherProgram.take());
  expectRefused();
  EXPECT_EQ(daemon.requests(), (Requests{"name", "suspend TestDriver", "resume", "name",
                                         "suspend TestDriver", "resume (device busy)"}));
}

// A held USB-HID device: the driver is suspended before the retry and resumed when the port
// closes.
TEST_F(ScreenReaderDriverTest, AHeldHidDeviceIsBorrowedAndGivenBack) {
  const std::wstring path = L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&1#{hid}";
  QrTest::ScopedVirtualClock clock;
  QrTest::ScriptedHidBus bus;
  bus.attach(path, std::make_shared<QrTest::ScriptedHid>(*clock));
  bus.deny(path, 1);
  BrlapiTestServer daemon;
  useScreenReaderDaemon(daemon.host());
  {
    HidPort port(path);
    EXPECT_EQ(daemon.requests(), (Requests{"name", "suspend TestDriver"}));
  }
  EXPECT_EQ(daemon.requests(), (Requests{"name", "suspend TestDriver", "resume"}));
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{1500, 50, 300, 50, 750}));
}

// No daemon, and one that never answers: the held tty is refused as before; a daemon that kept
// the port waiting is not asked again.
TEST_F(ScreenReaderDriverTest, ADaemonThatCannotHelpLeavesTheTtyRefused) {
  LockedTty otherProgram(tty);
  ASSERT_TRUE(otherProgram.take());
  QrTest::ScopedVirtualClock clock;
  useScreenReaderDaemon(BrlapiTestServer().host());  // nothing listens there any more
  expectRefused();
  BrlapiTestServer silent({}, true);
  useScreenReaderDaemon(silent.host());
  auto start = std::chrono::steady_clock::now();
  expectRefused();
  EXPECT_GE(QrTest::millisecondsSince(start), 5000);
  start = std::chrono::steady_clock::now();
  expectRefused();
  EXPECT_LT(QrTest::millisecondsSince(start), 1000);
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>{}) << "nothing was suspended";
}

}  // namespace
}  // namespace QrCom
