// The library on real pseudo-terminals, with the emulated displays behind them, in real time:
// what only a real tty shows of the serial port class, an upload through it, discovery and
// monitor mode with real threads.
#include "qrcom/port/PosixSerialPort.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "emulator/Catalog.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/port/ComPorts.h"
#include "qrcom/port/PosixPortTable.h"
#include "tests/support/Elapsed.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::failureOf;
using QrTest::millisecondsSince;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

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
    EXPECT_EQ(failureOf([&name] { PosixSerialPort port(fromUtf8(name)); }), L"(no failure)");
  }
  termios settings{};
  const int tty = ::open(name, O_RDWR | O_NOCTTY);
  ASSERT_EQ(tcgetattr(tty, &settings), 0);
  EXPECT_EQ(settings.c_cflag & (PARENB | PARODD), tcflag_t{PARODD});
  close(tty);
  close(master);
}

// Emulated displays on ptys that the port table numbers COM 1, 2, ... in the order added; each
// COM port the library opens is counted. Protocol pauses take real time unless a test sets
// the virtual clock.
class OnPtysTest : public ::testing::Test {
 protected:
  ~OnPtysTest() override {
    server.stop();
    installClock(nullptr);
    installComPortOpener(previousOpener);
    portTable().setPaths({});
  }

  // A display on the next COM number.
  QrEmu::Display* addPort(std::unique_ptr<QrEmu::Display> display) {
    displays.push_back(std::move(display));
    paths.push_back(server.add(*displays.back()).path());
    return displays.back().get();
  }
  void serve() {
    portTable().setPaths(paths);
    server.start();
  }
  void search(std::vector<int> comPorts) {
    SearchRequest request;
    request.linkKinds = {SearchRequest::kComPorts};
    request.comPortNumbers = std::move(comPorts);
    request.serviceFilter = {21};
    list.search(request);
  }

  QrTest::VirtualClock clock;
  std::vector<std::unique_ptr<QrEmu::Display>> displays;
  std::vector<std::string> paths;
  QrEmu::PtyServer server;
  std::atomic<int> opens[40] = {};
  ComPortOpener previousOpener = installComPortOpener([this](int number) {
    ++opens[number];
    return openSystemComPort(number);
  });
  DeviceList list;
};

// An open port holds its tty alone. A read waits 300 ms a byte on a port that isn't native, plus
// 1000, in each of its two tries.
TEST_F(OnPtysTest, HeldAloneWithSilentAndShortReadsWaitingOutTheirTimeOuts) {
  installClock(&clock);
  addPort(QrEmu::makeDisplay(0x22, 0x0102));
  serve();
  const std::wstring name = fromUtf8(paths[0]);
  PosixSerialPort port(name);
  EXPECT_EQ(clock.pauses(), (std::vector<uint32_t>{50, 500})) << "a pty settles";
  EXPECT_EQ(failureOf([&name] { PosixSerialPort second(name); }),
            L"PosixSerialPort::openPort --  Port \"" + name + L"\" can't be opened.");

  auto start = steady_clock::now();
  EXPECT_EQ(failureOf([&port] { port.readByte(); }),
            L"PosixSerialPort::readByte -- Error while reading from port \"" + name +
                L"\". No Byte arrived.");
  EXPECT_GE(millisecondsSince(start), 2 * 1300 - 20);
  EXPECT_LT(millisecondsSince(start), 2 * 1300 + 700);

  port.writeBuffer(QrTest::hex("FF FF").data(), 2);
  uint8_t buffer[10] = {};
  start = steady_clock::now();
  EXPECT_EQ(port.readBuffer(buffer, 10), 4u);
  EXPECT_EQ(QrTest::Bytes(buffer, buffer + 4), QrTest::hex("FE 22 FE 22"));
  EXPECT_GE(millisecondsSince(start), (300 * 10 + 1000) + (300 * 6 + 1000) - 20);
  EXPECT_EQ(failureOf([&port, &buffer] { port.readBuffer(buffer, 1); }),
            L"PosixSerialPort::readBuffer --  Error while reading from port \"" + name + L"\".");
}

// An older display unplugged halfway through its main firmware: the port fails at once, and
// the display keeps the records it had.
TEST_F(OnPtysTest, EpromUploadUnpluggedHalfway) {
  QrEmu::Display* unplugged = addPort(QrEmu::makeDisplay(116, 3));
  unplugged->find<QrEmu::EpromBootLoader>()->unplugAfterRecords(25);  // of 45
  serve();
  EXPECT_EQ(QrTest::failure([this] {
              PosixSerialPort port(fromUtf8(paths[0]));
              EpromVersion11FirmwareUploadStrategy(nullptr, 116, 40)
                  .loadFirmware(port, fromUtf8(QR_TEST_DATA "/firmware/LFONLY.H00"), nullptr);
            }),
            "CannotReadFromPort: PosixSerialPort::readByte -- Error while reading from port \"" +
                paths[0] + "\".");
  auto guard = unplugged->lock();
  EXPECT_EQ(unplugged->find<QrEmu::EpromBootLoader>()->flash().records(0).size(), 25u);
}

// Found displays come out in port order; a busy port is probed twice, then left out.
TEST_F(OnPtysTest, DisplaysComeOutInPortOrderABusyPortLeftOut) {
  QrEmu::Display* busy = addPort(QrEmu::makeDisplay(84, 0x0103));
  addPort(QrEmu::makeDisplay(116, 3));
  addPort(QrEmu::makeDisplay(129, 0x0103));
  serve();
  busy->setBusy(true);  // another program holds the tty: its lock is taken
  ASSERT_TRUE(QrTest::within(20, [this] {
    const int tty = ::open(paths[0].c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool held = tty >= 0 && flock(tty, LOCK_EX | LOCK_NB) != 0;
    if (tty >= 0) ::close(tty);
    return held;
  }));
  search({3, 2, 1});
  ASSERT_EQ(list.count(), 2u);
  EXPECT_EQ(list.at(0).getModelName(nullptr), L"Selvar 40");
  EXPECT_EQ(list.at(1).getPortNumber(), 3);
  EXPECT_EQ(opens[1] * 10 + opens[2], 21);
}

// A silent candidate costs the full read time-outs; probed in parallel, 32 of them cost about
// what one does.
TEST_F(OnPtysTest, SilentCandidatesAreProbedInParallel) {
  std::vector<int> all;
  for (int number = 1; number <= 32; ++number) {
    addPort(QrEmu::makeDisplay(84, 0x0103))->setSilent(true);
    all.push_back(number);
  }
  serve();
  auto start = steady_clock::now();
  search({1});
  const std::chrono::duration<double> one = steady_clock::now() - start;
  start = steady_clock::now();
  search(all);
  const std::chrono::duration<double> thirtyTwo = steady_clock::now() - start;
  EXPECT_EQ(list.count(), 0u);
  EXPECT_GT(one.count(), 2.0);  // really waited for the silent display
  EXPECT_LT(thirtyTwo / one, 1.5) << "one " << one.count() << " s, 32 " << thirtyTwo.count();
}

// Counts what a monitor session reports.
class CountingSink : public MonitorSink {
 public:
  void onDisplay(QuorlinDevice*, const uint8_t*, int, bool) override { ++reports; }
  void onKey(QuorlinDevice*, uint8_t) override { ++reports; }
  void onMonitorModeEnded(QuorlinDevice*) override {}
  std::atomic<int> reports{0};
};

bool stopsFromAnotherThread(QuorlinDevice& device) {
  auto stopped = std::async(std::launch::async, [&device] { device.stopMonitorMode(); });
  return stopped.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
}

// An operation takes the port monitor mode has open and hands it back. A stop may come at any
// moment of a hand-over, always returns, and monitor mode ends with the port closed.
TEST_F(OnPtysTest, MonitorModeOperationsAndStopsDuringHandOvers) {
  QrEmu::Display& display = *addPort(QrEmu::makeDisplay(0x54, 0x0103));
  serve();
  QuorlinDevice device(1);
  auto idle = [&device] { return device.isMonitorModeIdle() && !device.isPortInUse(); };
  CountingSink sink;
  BatteryInfo battery;
  for (int round = 0; round < 3; ++round) {
    device.startMonitorMode(&sink);
    ASSERT_TRUE(round != 1 || QrTest::within(20, [&sink] { return sink.reports >= 2; }));
    auto operation = std::async(std::launch::async, [&] { device.requestBatteryInfo(&battery); });
    std::this_thread::sleep_for(milliseconds(150 * round));
    EXPECT_TRUE(stopsFromAnotherThread(device));
    EXPECT_EQ(failureOf([&operation] { operation.get(); }), L"(no failure)");
    EXPECT_TRUE(QrTest::within(20, idle));
  }
  EXPECT_EQ(battery.secondWord, 85);
  const int closed = opens[1];
  device.requestBatteryInfo(&battery);
  EXPECT_EQ(opens[1], closed + 1) << "monitor mode let go of the port";
  auto guard = display.lock();
  EXPECT_FALSE(display.find<QrEmu::CellMonitor>()->streaming());
}

}  // namespace
}  // namespace QrCom
