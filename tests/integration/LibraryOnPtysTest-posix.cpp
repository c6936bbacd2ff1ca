// The library on real pseudo-terminals, with the emulated displays behind them, in real time:
// what only a real tty shows of the serial port class, uploads through it, discovery and
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
#include <filesystem>
#include <future>
#include <thread>

#include "emulator/Catalog.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/port/ComPorts.h"
#include "qrcom/port/PosixPortTable.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/MaintenanceRecords.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/Elapsed.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::failureOf;
using QrTest::hex;
using QrTest::millisecondsSince;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Polls `condition` every 25 ms for up to 20 seconds.
template <typename Condition>
bool eventually(Condition condition) {
  for (int i = 0; i < 800 && !condition(); ++i) std::this_thread::sleep_for(milliseconds(25));
  return condition();
}

// A display on a real pty, paced like a real line, behind a PosixSerialPort; protocol pauses
// on a virtual clock, read time-outs in real time.
class PosixSerialPortTest : public ::testing::Test {
 protected:
  PosixSerialPortTest() {
    display->setTrace([this](const QrEmu::TraceEvent& event) {
      if (event.kind == QrEmu::TraceEvent::LineRate) ++lineSetUps;
    });
    server.start();
  }

  std::unique_ptr<PosixSerialPort> open() { return std::make_unique<PosixSerialPort>(name, 7); }

  QrTest::ScopedVirtualClock clock;
  std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(0x22, 0x0102);
  std::atomic<int> lineSetUps{0};
  QrEmu::PtyServer server;
  const std::string path = server.add(*display, {"", true}).path();
  const std::wstring name = fromUtf8(path);
};

TEST_F(PosixSerialPortTest, OpensAndSetsUpTheTty) {
  {
    auto port = open();
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
    EXPECT_EQ(failureOf([&name] { PosixSerialPort port(fromUtf8(name)); }), L"(no failure)");
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
  auto port = open();
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
  EXPECT_EQ(QrTest::Bytes(buffer, buffer + 4), hex("FE 22 FE 22"));
  EXPECT_GE(millisecondsSince(start), (300 * 10 + 1000) + (300 * 6 + 1000) - 20);
  EXPECT_EQ(failureOf([&port, &buffer] { port->readBuffer(buffer, 1); }),
            L"PosixSerialPort::readBuffer --  Error while reading from port \"" + name + L"\".");
}

TEST_F(PosixSerialPortTest, ASecondProgramIsRefused) {
  auto first = open();
  const std::wstring refused =
      L"PosixSerialPort::openPort --  Port \"" + name + L"\" can't be opened.";
  EXPECT_EQ(failureOf([this] { open(); }), refused);
  first.reset();

  display->setBusy(true);  // another program holds the tty
  EXPECT_TRUE(eventually([this, &refused] { return failureOf([this] { open(); }) == refused; }));
  display->setBusy(false);

  const std::wstring missing = name + L"-missing";
  EXPECT_EQ(failureOf([&missing] { PosixSerialPort port(missing, 9); }),
            L"PosixSerialPort::setPortParameters --  Error while reading Settings for Port \"" +
                missing + L"\" ");
}

TEST_F(PosixSerialPortTest, UnplugInTheMiddleOfAReadFailsAtOnce) {
  auto port = open();
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

// The emulator learns each set-up of the line from the tty and paces its bytes at that rate,
// 11 bits a byte.
TEST_F(PosixSerialPortTest, SetBaudRateWritesOnlyARateThatChanges) {
  auto port = open();
  ASSERT_TRUE(eventually([this] { return display->hostLineRate() == 19200; }));
  std::this_thread::sleep_for(milliseconds(100));
  const int before = lineSetUps;
  port->setBaudRate(19200);
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(lineSetUps, before) << "the active rate is left alone";
  port->setBaudRate(1200);
  ASSERT_TRUE(eventually([this] { return display->hostLineRate() == 1200; }));
  EXPECT_EQ(lineSetUps, before + 1);
  EXPECT_EQ(port->getBaudRate(), 1200u);
  const auto start = steady_clock::now();
  port->writeByte(0x0C);  // one byte there, five back
  uint8_t answer[5] = {};
  EXPECT_EQ(port->readBuffer(answer, 5), 5u);
  EXPECT_EQ(QrTest::Bytes(answer, answer + 5), hex("06 0C 01 02 16"));
  EXPECT_GE(millisecondsSince(start), 6 * 11 * 1000 / 1200);

  EXPECT_EQ(failureOf([&port] { port->setBaudRate(12345); }),
            L"PosixSerialPort::setBaudRate -- Error while writing COM-Settings for port \"" + name +
                L"\".");
  EXPECT_EQ(port->getBaudRate(), 12345u) << "stored before anything can fail";
}

namespace fs = std::filesystem;

const fs::path kSamples = QR_TEST_DATA "/firmware";

// Bytes that are not all alike, so that a shifted or lost block shows.
std::string pattern(size_t size) {
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 13 + i / 509) & 0xFF);
  return content;
}

// Uploads through a pty: the main firmware of an older display (real clock), the emulated
// flash compared with the files afterwards, and a file to and from a current display's file
// system (protocol pauses on a virtual clock).
class UploadsOnPtyTest : public ::testing::Test {
 protected:
  // A display that tells its model; the test adds its other modules before serve().
  QrEmu::Display& make(uint8_t model, uint16_t version) {
    display = std::make_unique<QrEmu::Display>(model, version);
    display->add<QrEmu::Identification>();
    return *display;
  }
  void serve() {
    path = fromUtf8(server.add(*display).path());
    server.start();
    port = std::make_unique<PosixSerialPort>(path);
  }
  QrEmu::EpromBootLoader& olderDisplay() {
    return make(116, 3).add<QrEmu::EpromBootLoader>(QrEmu::EpromBootLoader::Options{8, 1200});
  }
  void loadFirmware(const fs::path& first) {
    EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
    strategy.loadFirmware(*port, fromUtf8(first.string()), nullptr);
  }

  QrTest::TempDir folder;
  std::unique_ptr<QrEmu::Display> display;  // outlives the server
  QrEmu::PtyServer server;
  std::wstring path;
  std::unique_ptr<PosixSerialPort> port;
};

// One file (with LF-only line ends: each record keeps its last character) into bank 0.
TEST_F(UploadsOnPtyTest, FirmwareFileIntoAnEightBankDisplay) {
  auto& loader = olderDisplay();
  serve();
  const fs::path file = QrTest::toFsPath(folder.path(L"LFONLY.H00"));
  fs::copy_file(kSamples / "LFONLY.H00", file);
  loadFirmware(file);
  auto guard = display->lock();
  EXPECT_EQ(loader.flash().differenceFrom(0, folder.read(L"LFONLY.H00")), "");
  EXPECT_EQ(loader.erases(), 1u);
  EXPECT_TRUE(loader.runsNewFirmware());
}

TEST_F(UploadsOnPtyTest, DisplayUnpluggedDuringTheFirmwareRecords) {
  auto& loader = olderDisplay();
  loader.unplugAfterRecords(25);  // of 45
  serve();
  EXPECT_THROW(loadFirmware(kSamples / "LFONLY.H00"), PortException);
  auto guard = display->lock();
  EXPECT_EQ(loader.flash().records(0).size(), 25u);
}

// A file goes and comes back by content; then the display is unplugged during an upload: the
// port fails at once, and the display keeps nothing of the file.
TEST_F(UploadsOnPtyTest, FileGoesAndComesBackThenAnUnplugFailsTheNext) {
  QrTest::ScopedVirtualClock clock;
  auto& files = make(84, 0x0102).add<QrEmu::FileTransfer>(QrEmu::Generation::Current);
  serve();
  QrBrlOsVersion102FileTransferStrategy strategy(84);
  const std::string content = pattern(3000);
  strategy.receiveFile(*port, nullptr, folder.write(L"up", content), L"A.TXT", 0, 1, nullptr);
  strategy.sendFile(*port, nullptr, L"A.TXT", folder.path(L"down"), content.size(), nullptr);
  EXPECT_EQ(folder.read(L"down"), content);
  std::vector<DirectoryEntry> list;
  EXPECT_EQ(strategy.sendFileList(*port, list), 1u);
  EXPECT_EQ(list[0].size(), 3000u);

  display->lock(), files.faults().unplugAfterBlocks = 3;
  const auto start = steady_clock::now();
  try {
    strategy.receiveFile(*port, nullptr, folder.write(L"up", pattern(5000)), L"B", 0, 1, nullptr);
    FAIL() << "no failure";
  } catch (const PortException& failure) {
    EXPECT_NE(std::wstring(failure.getMessage()).find(path), std::wstring::npos);
  }
  EXPECT_LT(millisecondsSince(start), 6000);
  auto guard = display->lock();
  EXPECT_EQ(files.files().find("B"), nullptr);
}

// Emulated displays on ptys that the port table numbers 1, 2, ... in the order added; each
// COM port opened is counted.
class DiscoveryOnPtysTest : public ::testing::Test {
 protected:
  ~DiscoveryOnPtysTest() override {
    server.stop();
    installComPortOpener(previousOpener);
    portTable().setPaths({});
  }

  // A display on the next COM number; nullptr leaves the number without a tty.
  QrEmu::Display* addPort(std::unique_ptr<QrEmu::Display> display) {
    if (!display) {
      paths.push_back("/nonexistent/tty" + std::to_string(paths.size() + 1));
      return nullptr;
    }
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

TEST_F(DiscoveryOnPtysTest, DisplaysComeOutInPortOrder) {
  addPort(nullptr);
  addPort(nullptr);
  addPort(QrEmu::makeDisplay(116, 3));
  addPort(nullptr);
  addPort(QrEmu::makeDisplay(84, 0x0103));
  addPort(QrEmu::makeDisplay(129, 0x0103));
  serve();
  search({6, 5, 3});
  ASSERT_EQ(list.count(), 3u);
  EXPECT_EQ(list.at(0).getPortNumber(), 3);
  EXPECT_EQ(list.at(0).getModelName(nullptr), L"Selvar 40");
  EXPECT_EQ(list.at(1).getPortNumber(), 5);
  EXPECT_EQ(list.at(2).getPortNumber(), 6);
  // The Fundo's own maintenance commands, on the device found.
  list.at(2).setBluetoothPin(L"4711");
  wchar_t pin[8] = {};
  list.at(2).getBluetoothPin(pin, 8);
  EXPECT_EQ(std::wstring(pin), L"4711");
}

TEST_F(DiscoveryOnPtysTest, ABusyPortIsProbedTwiceThenLeftOut) {
  QrEmu::Display* busy = addPort(QrEmu::makeDisplay(84, 0x0103));
  addPort(QrEmu::makeDisplay(116, 2));
  serve();
  busy->setBusy(true);  // another program holds the tty: its lock is taken
  ASSERT_TRUE(eventually([this] {
    const int tty = ::open(paths[0].c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool held = tty >= 0 && flock(tty, LOCK_EX | LOCK_NB) != 0;
    if (tty >= 0) ::close(tty);
    return held;
  }));
  search({1, 2});
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getPortNumber(), 2);
  EXPECT_EQ(opens[1], 2);
  EXPECT_EQ(opens[2], 1);
}

// A silent candidate costs the full read time-outs; probed in parallel, 32 of them cost about
// what one does.
TEST_F(DiscoveryOnPtysTest, SilentCandidatesAreProbedInParallel) {
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

using MonitorOnPtyTest = DiscoveryOnPtysTest;

// Operations take the port monitor mode has open and hand it back, one after another: each
// family-specific one the device forwards. A stop may come at any moment of a hand-over, always
// returns, and monitor mode ends with the port closed.
TEST_F(MonitorOnPtyTest, OperationsAndStopsDuringHandOvers) {
  QrEmu::Display& display = *addPort(QrEmu::makeDisplay(0x54, 0x0103));
  display.find<QrEmu::BrailleTableSlots>()->names = {{2, "DANISH"}};
  serve();
  QuorlinDevice device(1);
  auto idle = [&device] { return device.isMonitorModeIdle() && !device.isPortInUse(); };
  CountingSink sink;
  device.startMonitorMode(&sink);
  ASSERT_TRUE(eventually([&sink] { return sink.reports >= 2; }));
  DeviceDateTime time;
  device.getRealTimeClock(&time);
  EXPECT_EQ(time.year, 2024);
  device.startBatteryTestMode();
  device.block();
  device.unblock();
  int first = 0;
  int second = 0;
  device.getUsedBrailleTables(first, second);
  EXPECT_EQ(first, 1);
  BrailleTablesNames names;
  device.getBrailleTablesNames(names);
  ASSERT_NE(names.name(2), nullptr);
  EXPECT_EQ(*names.name(2), L"DANISH");
  device.activateBrailleTable(2);
  BatteryInfo battery;
  device.requestBatteryInfo(&battery);
  EXPECT_EQ(battery.secondWord, 85);
  const int before = sink.reports;
  ASSERT_TRUE(eventually([&] { return sink.reports >= before + 2; })) << "monitor mode resumes";
  EXPECT_EQ(opens[1], 2) << "once to construct the device, once for monitor mode";
  EXPECT_TRUE(stopsFromAnotherThread(device));

  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(eventually(idle));
    device.startMonitorMode(&sink);
    std::thread operation([&device] {
      BatteryInfo ignored;
      try {
        device.requestBatteryInfo(&ignored);
      } catch (const QrException& failure) {
        ADD_FAILURE() << "the operation failed: " << toUtf8(failure.getMessage());
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150 * round));
    EXPECT_TRUE(stopsFromAnotherThread(device));
    operation.join();
  }
  EXPECT_TRUE(eventually(idle));
  const int closed = opens[1];
  device.requestBatteryInfo(&battery);
  EXPECT_EQ(opens[1], closed + 1) << "monitor mode let go of the port";
  auto guard = display.lock();
  EXPECT_FALSE(display.find<QrEmu::CellMonitor>()->streaming());
  EXPECT_TRUE(display.find<QrEmu::MaintenancePackets>()->batteryTestMode);
  EXPECT_FALSE(display.find<QrEmu::MassStorageLock>()->locked);
  EXPECT_EQ(display.find<QrEmu::BrailleTableSlots>()->activeSlot, 2);
}

// The legacy line and the pocket reader stream in their own ways, and stop.
TEST_F(MonitorOnPtyTest, OtherFamiliesStreamAndStop) {
  addPort(QrEmu::makeDisplay(116, 3));
  addPort(QrEmu::makeDisplay(144, 0));
  serve();
  for (int number : {1, 2}) {
    SCOPED_TRACE(number);
    QuorlinDevice device(number);
    CountingSink sink;
    device.startMonitorMode(&sink);
    EXPECT_TRUE(eventually([&sink] { return sink.reports >= 2; }));
    EXPECT_TRUE(stopsFromAnotherThread(device));
    EXPECT_TRUE(eventually([&device] { return device.isMonitorModeIdle(); }));
  }
}

}  // namespace
}  // namespace QrCom
