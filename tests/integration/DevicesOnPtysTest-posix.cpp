// Discovery and monitor mode against emulated displays on real pseudo-terminals, through the
// real serial port class, with real threads and time.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "emulator/Catalog.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/protocol/MaintenanceRecords.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/ComPorts.h"
#include "qrcom/port/PosixPortTable.h"
#include "tests/support/ScopedHidLink.h"

namespace QrCom {
namespace {

using std::chrono::steady_clock;

const std::wstring kHidPath = L"\\\\?\\hid#vid_4c7a&pid_0081#7&1&0000#{hid}";

double secondsSince(steady_clock::time_point start) {
  return std::chrono::duration<double>(steady_clock::now() - start).count();
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

  // Makes the display's tty held by another program and waits until it is.
  bool makeBusy(QrEmu::Display& display, int number) {
    display.setBusy(true);
    const std::string& path = paths.at(static_cast<size_t>(number - 1));
    for (int i = 0; i < 300; ++i) {
      const int descriptor = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      const bool held = descriptor >= 0 && flock(descriptor, LOCK_EX | LOCK_NB) != 0;
      if (descriptor >= 0) ::close(descriptor);
      if (held) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  int opens(int number) {
    std::lock_guard<std::mutex> guard(mutex);
    return opened[number];
  }

  SearchRequest request(std::set<int> linkKinds, std::vector<int> comPorts,
                        std::set<int> services = {21}) {
    SearchRequest search;
    search.linkKinds = std::move(linkKinds);
    search.comPortNumbers = std::move(comPorts);
    search.serviceFilter = std::move(services);
    return search;
  }

  std::vector<std::unique_ptr<QrEmu::Display>> displays;
  std::vector<std::string> paths;
  QrEmu::PtyServer server;
  std::mutex mutex;
  std::map<int, int> opened;
  ComPortOpener previousOpener = installComPortOpener([this](int number) {
    {
      std::lock_guard<std::mutex> guard(mutex);
      ++opened[number];
    }
    return openSystemComPort(number);
  });
  DeviceList list;
};

// A Fundo on the USB-HID link, in process.
class WithHidDisplay {
  std::unique_ptr<QrEmu::Display> display_ = QrEmu::makeDisplay(0x81, 0x0103);
  QrTest::ScopedHidLink link_{
      [] { return std::vector<std::wstring>{kHidPath}; },
      [this](const std::wstring&) {
        return std::make_unique<QrEmu::EmulatedPort>(*display_, [](uint32_t milliseconds) {
          std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        });
      }};
};

TEST_F(DiscoveryOnPtysTest, DisplaysComeOutInPortOrder) {
  WithHidDisplay hid;
  addPort(nullptr);
  addPort(nullptr);
  addPort(QrEmu::makeDisplay(116, 3));
  addPort(nullptr);
  addPort(QrEmu::makeDisplay(84, 0x0103));
  serve();
  list.search(request({SearchRequest::kComPorts, SearchRequest::kHidInterfaces}, {5, 3}));
  ASSERT_EQ(list.count(), 3u);
  EXPECT_TRUE(list.at(0).isUsbHid());
  EXPECT_EQ(list.at(0).getModelName(nullptr), L"Fundo 16");
  EXPECT_EQ(list.at(1).getPortNumber(), 3);
  EXPECT_EQ(list.at(1).getModelName(nullptr), L"Selvar 40");
  EXPECT_EQ(list.at(2).getPortNumber(), 5);
  EXPECT_EQ(list.at(2).getSerialNumber(), L"VAN-22-00417");
  EXPECT_EQ(list.at(2).getFirmwareVersion(), L"3.30_normal_mode");
}

TEST_F(DiscoveryOnPtysTest, ABusyPortIsProbedTwiceThenLeftOut) {
  QrEmu::Display* busy = addPort(QrEmu::makeDisplay(84, 0x0103));
  addPort(QrEmu::makeDisplay(116, 2));
  serve();
  ASSERT_TRUE(makeBusy(*busy, 1));
  list.search(request({SearchRequest::kComPorts}, {1, 2}));
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getPortNumber(), 2);
  EXPECT_EQ(opens(1), 2);
  EXPECT_EQ(opens(2), 1);
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
  list.search(request({SearchRequest::kComPorts}, {1}));
  const double one = secondsSince(start);
  start = steady_clock::now();
  list.search(request({SearchRequest::kComPorts}, all));
  const double thirtyTwo = secondsSince(start);
  EXPECT_EQ(list.count(), 0u);
  EXPECT_GT(one, 2.0);  // really waited for the silent display
  EXPECT_LT(thirtyTwo / one, 1.5) << "one " << one << " s, 32 " << thirtyTwo << " s";
}

// Counts what a monitor session reports.
class CountingSink : public MonitorSink {
 public:
  void onDisplay(QuorlinDevice*, const uint8_t*, int, bool) override { add(); }
  void onKey(QuorlinDevice*, uint8_t) override { add(); }
  void onMonitorModeEnded(QuorlinDevice*) override {}

  size_t reports() {
    std::lock_guard<std::mutex> guard(mutex_);
    return reports_;
  }
  // Waits until `count` reports have come; false when they did not in time.
  bool reaches(size_t count) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return reports_ >= count; });
  }

 private:
  void add() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++reports_;
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  size_t reports_ = 0;
};

bool stopsFromAnotherThread(QuorlinDevice& device) {
  auto stopped = std::async(std::launch::async, [&device] { device.stopMonitorMode(); });
  return stopped.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
}

bool becomesIdle(QuorlinDevice& device) {
  for (int i = 0; i < 400 && !(device.isMonitorModeIdle() && !device.isPortInUse()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return device.isMonitorModeIdle() && !device.isPortInUse();
}

using MonitorOnPtyTest = DiscoveryOnPtysTest;

// An operation takes the port monitor mode has open and hands it back; a stop may come at any
// moment of a hand-over, always returns, and monitor mode ends with the port closed.
TEST_F(MonitorOnPtyTest, OperationsAndStopsDuringHandOvers) {
  QrEmu::Display& display = *addPort(QrEmu::makeDisplay(0x54, 0x0103));
  serve();
  QuorlinDevice device(1);
  const int opensBefore = opens(1);
  CountingSink sink;
  device.startMonitorMode(&sink);
  ASSERT_TRUE(sink.reaches(2));
  BatteryInfo battery;
  device.requestBatteryInfo(&battery);
  EXPECT_EQ(battery.secondWord, 85);
  ASSERT_TRUE(sink.reaches(sink.reports() + 2)) << "monitor mode resumes";
  EXPECT_EQ(opens(1), opensBefore + 1);
  EXPECT_EQ((display.lock(), display.find<QrEmu::CellMonitor>()->starts()), 2u);

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    if (round > 0) device.startMonitorMode(&sink);
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
    EXPECT_TRUE(becomesIdle(device));
  }
  EXPECT_FALSE(device.isMonitorModeRequested());
  const int closed = opens(1);
  device.requestBatteryInfo(&battery);
  EXPECT_EQ(opens(1), closed + 1) << "monitor mode let go of the port";
  auto guard = display.lock();
  EXPECT_FALSE(display.find<QrEmu::CellMonitor>()->streaming());
}

}  // namespace
}  // namespace QrCom
