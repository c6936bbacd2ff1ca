#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/Display.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/LineMonitor.h"
#include "emulator/modules/PocketReaderMonitor.h"
#include "emulator/modules/PocketReaderStorage.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingMonitorModeStrategy.h"
#include "qrcom/protocol/PlanoMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// Keeps what the display reports; asks the strategy to stop after `limit` reports.
class StoppingSink : public QrCom::MonitorSink {
 public:
  StoppingSink(QrCom::MonitorModeStrategy& strategy, size_t limit)
      : strategy_(strategy), limit_(limit) {}
  void onDisplay(QrCom::QuorlinDevice*, const uint8_t* content, int position,
                 bool changed) override {
    record(std::string(reinterpret_cast<const char*>(content)) + "|" + std::to_string(position) +
           "|" + (changed ? "1" : "0"));
  }
  void onKey(QrCom::QuorlinDevice*, uint8_t key) override { record("key " + std::to_string(key)); }
  void onMonitorModeEnded(QrCom::QuorlinDevice*) override {}

  std::vector<std::string> reports;

 private:
  void record(const std::string& report) {
    reports.push_back(report);
    if (reports.size() == limit_) strategy_.requestStop();
  }
  QrCom::MonitorModeStrategy& strategy_;
  size_t limit_;
};

const std::vector<std::string> kSampleReports = {"Quorlin ready|1|1", "Quorlin ready|8|0", "key 33",
                                                 "Files: letter.txt|0|1"};

// Model id 0: the strategies run without a device object here.
class MonitorStreamsTest : public ::testing::Test {
 protected:
  QrTest::ScopedVirtualClock clock;
  Display display{0x00, 0x0103};
  EmulatedPort port{display, &*clock};
};

TEST_F(MonitorStreamsTest, CellsAndKeysOfTheCurrentFirmware) {
  auto& monitor = display.add<CellMonitor>();
  QrCom::QrBrlOsMonitorModeStrategy strategy;
  StoppingSink sink(strategy, 4);
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_EQ(sink.reports, kSampleReports);
  // Switched off by the strategy: nothing more arrives.
  EXPECT_FALSE(monitor.streaming());
  EXPECT_FALSE(display.nextRelease().has_value());
  EXPECT_EQ(monitor.starts(), 1u);

  monitor.refuse = true;
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_EQ(monitor.starts(), 1u);
}

TEST_F(MonitorStreamsTest, GlintSwitches) {
  auto& monitor = display.add<CellMonitor>();
  QrCom::QrBrlOsMonitorModeStrategy strategy;
  strategy.startGlint(port);
  EXPECT_TRUE(monitor.glint);
  strategy.stopGlint(port);
  EXPECT_FALSE(monitor.glint);
  EXPECT_EQ(monitor.glintSwitches, 2u);
}

TEST_F(MonitorStreamsTest, LinesOfTheLegacyLineInBothDialects) {
  for (LineDialect dialect : {LineDialect::Text, LineDialect::Escape}) {
    Display legacy(0x74, 3);
    auto& monitor = legacy.add<LineMonitor>(dialect);
    EmulatedPort linePort(legacy, &*clock);
    QrCom::PlanoMonitorModeStrategy strategy;
    StoppingSink sink(strategy, 3);
    strategy.startMonitorMode(linePort, &sink, nullptr);
    EXPECT_EQ(sink.reports, (std::vector<std::string>{"Quorlin ready|1|1", "Quorlin ready|8|0",
                                                      "Files: letter.txt|0|1"}));
    EXPECT_FALSE(monitor.streaming());
    EXPECT_EQ(monitor.helloAnswers, dialect == LineDialect::Escape ? 1u : 0u);
  }
}

TEST_F(MonitorStreamsTest, AnExchangeStartedByTheHostEndsTheStream) {
  // As in every display with a stream: the stream's module first.
  auto& monitor = display.add<CellMonitor>();
  display.add<Identification>();
  display.receive(hex("79 00 02 0B 01 16"));
  EXPECT_TRUE(monitor.streaming());
  clock->advance(1000);
  display.takeDue();
  display.receive(hex("FF"));
  EXPECT_FALSE(monitor.streaming());
  EXPECT_EQ(display.takeDue(), hex("FE 00"));
  clock->advance(100000);
  EXPECT_TRUE(display.takeDue().empty());
}

TEST_F(MonitorStreamsTest, LinesOfThePocketReaderUntilTheNextCommand) {
  std::unique_ptr<Display> reader = makeDisplay(144, 0);
  auto& monitor = *reader->find<PocketReaderMonitor>();
  EmulatedPort readerPort(*reader, &*clock);
  QrCom::PagelingMonitorModeStrategy strategy;
  StoppingSink sink(strategy, 3);
  strategy.startMonitorMode(readerPort, &sink, nullptr);
  EXPECT_EQ(sink.reports, (std::vector<std::string>{"Quorlin ready|0|1", "Quorlin ready|0|1",
                                                    "Files: letter.txt|0|1"}));
  // The reader streams on until the host starts its next exchange.
  EXPECT_TRUE(monitor.streaming());
  QrCom::PagelingMaintenanceStrategy().doFactoryReset(readerPort);
  EXPECT_FALSE(monitor.streaming());
  EXPECT_EQ(reader->find<PocketReaderStorage>()->factoryResets, 1u);
}

}  // namespace
}  // namespace QrEmu
