// A monitor session of a device on an emulated display behind a real pty, with ordinary
// operations interleaved: the real gateway, the real serial port class, real threads and time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/modules/LineMonitor.h"
#include "emulator/modules/PocketReaderMonitor.h"
#include "emulator/modules/PocketReaderStorage.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/port/ComPorts.h"
#include "qrcom/port/PosixPortTable.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/MaintenanceRecords.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using namespace std::chrono_literals;

// What the display reported, and in which run of the monitor thread: every thread that reports
// gets the next run number the first time it does (thread ids may be reused).
class SessionSink : public MonitorSink {
 public:
  struct Report {
    std::string text;
    int run;
  };

  void onDisplay(QuorlinDevice*, const uint8_t* content, int position, bool) override {
    const char* text = reinterpret_cast<const char*>(content);
    record(std::string(text, strnlen(text, 80)) + "|" + std::to_string(position));
  }
  void onKey(QuorlinDevice*, uint8_t key) override { record("key " + std::to_string(key)); }
  void onMonitorModeEnded(QuorlinDevice*) override {}

  // Waits for `count` reports of runs after `run`; returns the last run that reported (`run`
  // when none did in time).
  int waitForReportsAfter(int run, size_t count, std::chrono::seconds limit = 20s) {
    std::unique_lock<std::mutex> guard(mutex_);
    changed_.wait_for(guard, limit, [&] {
      size_t fresh = 0;
      for (const Report& report : reports_) fresh += report.run > run ? 1 : 0;
      return fresh >= count;
    });
    return reports_.empty() ? run : std::max(run, reports_.back().run);
  }
  std::vector<Report> reports() {
    std::lock_guard<std::mutex> guard(mutex_);
    return reports_;
  }
  // Waits until some run has reported `text`; false when none did in time.
  bool waitForReport(const std::string& text, std::chrono::seconds limit = 20s) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, limit, [&] {
      for (const Report& report : reports_) {
        if (report.text == text) return true;
      }
      return false;
    });
  }

 private:
  void record(std::string text) {
    thread_local std::pair<const SessionSink*, int> mine{nullptr, 0};
    std::lock_guard<std::mutex> guard(mutex_);
    if (mine.first != this) mine = {this, ++runs_};
    reports_.push_back({std::move(text), mine.second});
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Report> reports_;
  int runs_ = 0;
};

bool contains(const std::vector<SessionSink::Report>& reports, const std::string& text) {
  for (const SessionSink::Report& report : reports) {
    if (report.text == text) return true;
  }
  return false;
}

// One emulated display on COM 1; every COM port opened is counted.
class MonitorOnPtyTest : public ::testing::Test {
 protected:
  ~MonitorOnPtyTest() override {
    device.reset();
    server.stop();
    installComPortOpener(previousOpener);
    portTable().setPaths({});
  }

  void serve(uint8_t modelId, uint16_t version) {
    display = QrEmu::makeDisplay(modelId, version);
    portTable().setPaths({server.add(*display).path()});
    server.start();
    device = std::make_unique<QuorlinDevice>(1);
    opensAfterConstruction = opens.load();
  }

  // How often the display has been switched into monitor mode.
  template <typename Stream>
  uint32_t streamStarts() {
    auto guard = display->lock();
    return display->find<Stream>()->starts();
  }
  template <typename Stream>
  bool streaming() {
    auto guard = display->lock();
    return display->find<Stream>()->streaming();
  }

  // Stops monitor mode from a thread of its own; false if that did not return within `limit`.
  bool stopFromAnotherThread(std::chrono::seconds limit = 20s) {
    std::promise<void> stopped;
    std::future<void> done = stopped.get_future();
    std::thread stopper([&] {
      device->stopMonitorMode();
      stopped.set_value();
    });
    const bool returned = done.wait_for(limit) == std::future_status::ready;
    stopper.join();
    return returned;
  }

  bool becomesIdle() {
    for (int i = 0; i < 400; ++i) {
      if (device->isMonitorModeIdle() && !device->isPortInUse()) return true;
      std::this_thread::sleep_for(25ms);
    }
    return false;
  }

  std::atomic<int> opens{0};
  ComPortOpener previousOpener = installComPortOpener([this](int number) {
    ++opens;
    return openSystemComPort(number);
  });
  // The display outlives the server that serves it.
  std::unique_ptr<QrEmu::Display> display;
  QrEmu::PtyServer server;
  std::unique_ptr<QuorlinDevice> device;
  int opensAfterConstruction = 0;
  SessionSink sink;
  QrTest::TempDir folder;
};

TEST_F(MonitorOnPtyTest, AVantrasSessionSurvivesOrdinaryOperations) {
  serve(0x54, 0x0103);
  device->startMonitorMode(&sink);
  ASSERT_EQ(sink.waitForReportsAfter(0, 2), 1);
  EXPECT_TRUE(contains(sink.reports(), "Quorlin ready|1"));

  DeviceDateTime set;
  set.year = 2026;
  set.month = 12;
  set.day = 7;
  set.hour = 21;
  set.minute = 30;
  set.second = 15;
  device->setRealTimeClock(set);
  ASSERT_EQ(sink.waitForReportsAfter(1, 2), 2) << "monitor mode resumes on a new thread";
  EXPECT_EQ(streamStarts<QrEmu::CellMonitor>(), 2u);

  DeviceDateTime got;
  device->getRealTimeClock(&got);
  EXPECT_EQ(got.year, 2026);
  EXPECT_EQ(got.month, 12);
  EXPECT_EQ(got.minute, 30);
  BatteryInfo battery;
  device->requestBatteryInfo(&battery);
  EXPECT_EQ(battery.secondWord, 85);
  // Monitor mode may resume between the two operations or only after both.
  EXPECT_GT(sink.waitForReportsAfter(2, 2), 2);
  EXPECT_GE(streamStarts<QrEmu::CellMonitor>(), 3u);
  // The key comes third in a stream, after the operations have let one run that far.
  EXPECT_TRUE(sink.waitForReport("key 33"));
  // The operations ran on the port monitor mode had open.
  EXPECT_EQ(opens.load() - opensAfterConstruction, 1);

  ASSERT_TRUE(stopFromAnotherThread());
  EXPECT_FALSE(device->isMonitorModeRequested());
  ASSERT_TRUE(becomesIdle());
  EXPECT_FALSE(streaming<QrEmu::CellMonitor>());
  // The port is closed: the next operation opens it again.
  device->getRealTimeClock(&got);
  EXPECT_EQ(opens.load() - opensAfterConstruction, 2);
}

TEST_F(MonitorOnPtyTest, ALegacySessionSurvivesATableQuery) {
  serve(116, 3);
  {
    auto guard = display->lock();
    display->find<QrEmu::BrailleTableSlots>()->names = {{2, "DANISH"}};
  }
  device->startMonitorMode(&sink);
  ASSERT_EQ(sink.waitForReportsAfter(0, 2), 1);
  EXPECT_TRUE(contains(sink.reports(), "Quorlin ready|1"));

  BrailleTablesNames names;
  device->getBrailleTablesNames(names);
  ASSERT_NE(names.name(2), nullptr);
  EXPECT_EQ(*names.name(2), L"DANISH");
  EXPECT_EQ(sink.waitForReportsAfter(1, 2), 2);
  EXPECT_EQ(streamStarts<QrEmu::LineMonitor>(), 2u);
  EXPECT_EQ(opens.load() - opensAfterConstruction, 1);

  ASSERT_TRUE(stopFromAnotherThread());
  ASSERT_TRUE(becomesIdle());
  EXPECT_FALSE(streaming<QrEmu::LineMonitor>());
}

TEST_F(MonitorOnPtyTest, APocketReadersSessionSurvivesAnUpload) {
  serve(144, 0);
  device->startMonitorMode(&sink);
  ASSERT_EQ(sink.waitForReportsAfter(0, 2), 1);

  const std::string document = "Dear reader,\x01<A>here we go.";
  device->receiveFile(folder.write(L"letter.txt", document), L"LETTER", 2, 0, nullptr);
  EXPECT_EQ(sink.waitForReportsAfter(1, 3), 2);
  EXPECT_TRUE(contains(sink.reports(), "Files: letter.txt|0"));
  EXPECT_EQ(streamStarts<QrEmu::PocketReaderMonitor>(), 2u);
  EXPECT_EQ(opens.load() - opensAfterConstruction, 1);
  {
    auto guard = display->lock();
    const auto& documents = display->find<QrEmu::PocketReaderStorage>()->documents;
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].name, "LETTER");
    EXPECT_EQ(std::string(documents[0].content.begin(), documents[0].content.end()), document);
    ASSERT_EQ(documents[0].bookmarks.size(), 1u);
    EXPECT_EQ(documents[0].bookmarks[0].position, 16u);
  }

  ASSERT_TRUE(stopFromAnotherThread());
  ASSERT_TRUE(becomesIdle());
}

// A stop may come at any moment of a hand-over; it always returns, and monitor mode ends.
TEST_F(MonitorOnPtyTest, StopsDuringHandOversAlwaysReturn) {
  serve(0x54, 0x0103);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    device->startMonitorMode(&sink);
    std::thread operation([&] {
      BatteryInfo battery;
      try {
        device->requestBatteryInfo(&battery);
      } catch (const QrException& failure) {
        ADD_FAILURE() << "the operation failed: " << toUtf8(failure.getMessage());
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150 * round));
    EXPECT_TRUE(stopFromAnotherThread());
    operation.join();
    EXPECT_TRUE(becomesIdle());
  }
  EXPECT_FALSE(streaming<QrEmu::CellMonitor>());
}

}  // namespace
}  // namespace QrCom
