#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "qrcom/base/NativeSync.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/PagelingMonitorModeStrategy.h"
#include "qrcom/protocol/PlanoMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::Conversation;
using QrTest::failsWith;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::toHex;

// A port whose silence (a read that finds nothing) calls `onSilence`, so a test can end or feed
// a receive loop once the scripted stream has been read.
class StreamPort : public ScriptedPort {
 public:
  explicit StreamPort(QrTest::VirtualClock* clock) : ScriptedPort(clock) {}
  std::function<void()> onSilence;

  uint8_t readByte() override {
    if (pending() == 0 && onSilence) onSilence();
    return ScriptedPort::readByte();
  }
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override {
    if (pending() == 0 && onSilence) onSilence();
    return ScriptedPort::readBuffer(data, length, retry);
  }
};

struct Report {
  std::string content;  // a text line, or the first cells in hex
  int position;
  bool changed;
};

class MonitorRecorder : public MonitorSink {
 public:
  explicit MonitorRecorder(size_t cells = 0) : cells_(cells) {}
  void onDisplay(QuorlinDevice*, const uint8_t* content, int position, bool changed) override {
    const std::string text = cells_ > 0 ? toHex(Bytes(content, content + cells_))
                                        : std::string(reinterpret_cast<const char*>(content));
    reports.push_back({text, position, changed});
    if (onReport) onReport();
  }
  void onKey(QuorlinDevice*, uint8_t key) override { keys.push_back(key); }
  void onMonitorModeEnded(QuorlinDevice*) override {}

  std::vector<Report> reports;
  std::vector<uint8_t> keys;
  std::function<void()> onReport;

 private:
  size_t cells_;
};

std::string describe(const std::vector<Report>& reports) {
  std::string text;
  for (const Report& report : reports) {
    text += "[" + report.content + "|" + std::to_string(report.position) + "|" +
            (report.changed ? "1" : "0") + "]";
  }
  return text;
}

// --- current firmware (no device: model id 0)

const char kOk[] = "79 00 01 07 16";

// Runs monitor mode on a display that streams `stream` after the start and is stopped once the
// stream is read; the reports of the first three cells.
std::string streamed(const std::string& stream, std::vector<uint8_t>* keys = nullptr) {
  QrTest::ScopedVirtualClock clock;
  StreamPort port(&*clock);
  Conversation device(port);
  device.step("79 00 01 07 16", kOk)
      .step("79 00 02 0B 01 16", std::string(kOk) + stream)
      .step("79 00 02 0B 00 16", kOk);
  QrBrlOsMonitorModeStrategy strategy;
  port.onSilence = [&] { strategy.requestStop(); };
  MonitorRecorder sink(3);
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_TRUE(device.finished());
  EXPECT_FALSE(strategy.isActive());
  if (keys != nullptr) *keys = sink.keys;
  return describe(sink.reports);
}

TEST(QrBrlOsMonitorModeTest, DisplayAndKeyReports) {
  std::vector<uint8_t> keys;
  EXPECT_EQ(streamed(
                // position 0xFF, cells A B
                " 79 00 0B 1B FF 00 00 00 00 00 00 02 41 42 16"
                // the same cells at position 4
                " 79 00 0B 1B 04 00 00 00 00 00 00 02 41 42 16"
                // a key
                " 79 00 02 55 21 16"
                // one cell changes
                " 79 00 0A 1B 00 00 00 00 00 00 00 01 43 16"
                // another model's report is dropped, with what follows
                " 79 01 0B 1B 01 00 00 00 00 00 00 02 43 44 16"
                " 79 00 0A 1B 00 00 00 00 00 00 00 01 44 16",
                &keys),
            "[41 42 00|0|1][41 42 00|5|0][43 42 00|1|1]");
  EXPECT_EQ(keys, std::vector<uint8_t>{0x21});
}

TEST(QrBrlOsMonitorModeTest, ARefusedStartLeavesMonitorModeOff) {
  ScriptedPort port;
  Conversation device(port);
  device.step("79 00 01 07 16", "00 01 02 03 04");
  QrBrlOsMonitorModeStrategy strategy;
  MonitorRecorder sink;
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
  EXPECT_FALSE(strategy.isActive());
  EXPECT_EQ(strategy.stopMonitorMode(), 0);
}

TEST(QrBrlOsMonitorModeTest, ACellCountBeyondTheReportIsBounded) {
  // The short report is dropped.
  EXPECT_EQ(streamed(" 79 00 0B 1B 00 00 00 00 00 00 00 FF 41 42 16 79 00 05 1B 00 00 00 16"),
            "[41 42 00|1|1]");
}

TEST(QrBrlOsMonitorModeTest, GlintIsAlwaysAddressedToModel54) {
  ScriptedPort port;
  port.answerNextWrite(hex("79 22 02 07 7E 16"));
  port.answerNextWrite(hex("79 22 02 07 7E 16"));
  QrBrlOsMonitorModeStrategy strategy;
  strategy.startGlint(port);
  strategy.stopGlint(port);
  EXPECT_EQ(toHex(port.written()), "79 54 02 50 01 16 79 54 02 50 00 16");
  EXPECT_EQ(port.pending(), 0u);
  EXPECT_TRUE(strategy.supportsService(1));
  EXPECT_TRUE(strategy.supportsService(35));
}

TEST(QrBrlOsMonitorModeTest, StopFromAnotherThreadEndsAStreamingLoop) {
  // A display that answers every request and streams one report after another.
  StreamPort port(nullptr);
  port.setResponder([](const Bytes&, ScriptedPort& self) { self.deliver(hex(kOk)); });
  port.onSilence = [&] { port.deliver(hex("79 00 0A 1B 00 00 00 00 00 00 00 01 41 16")); };
  QrBrlOsMonitorModeStrategy strategy;
  MonitorRecorder sink(1);
  NativeEvent reported;
  sink.onReport = [&] { reported.set(); };
  std::thread loop([&] { strategy.startMonitorMode(port, &sink, nullptr); });
  reported.wait();
  EXPECT_TRUE(strategy.isActive());
  EXPECT_EQ(strategy.stopMonitorMode(), 0);
  EXPECT_FALSE(strategy.isActive());
  loop.join();
  EXPECT_EQ(toHex(Bytes(port.written().end() - 6, port.written().end())), "79 00 02 0B 00 16");
}

// --- legacy line

class PlanoMonitorModeTest : public ::testing::Test {
 protected:
  // Runs monitor mode over `stream` until the stream is used up.
  std::string run(const std::string& stream) {
    // The display speaks once it has been switched on and answered.
    bool spoken = false;
    port.onSilence = [&] {
      if (spoken) return strategy.requestStop();
      port.deliver(hex(stream));
      spoken = true;
    };
    strategy.startMonitorMode(port, &sink, nullptr);
    return describe(sink.reports);
  }

  QrTest::ScopedVirtualClock clock;
  StreamPort port{&*clock};
  PlanoMonitorModeStrategy strategy;
  MonitorRecorder sink;
};

TEST_F(PlanoMonitorModeTest, TextDialect) {
  const std::string reports = run(
      // noise before the synchronisation, then 02 x 0D
      "41 02 58 0D"
      // cursor 2 (0x2A - 40), a line
      " 02 2A 48 49 0D"
      // the same line with a new cursor: not changed
      " 02 2B 48 49 0D"
      // the same line, the same cursor: nothing
      " 02 2B 48 49 0D"
      // control bytes are dropped, line feeds kept
      " 02 2B 48 01 0A 49 0D");
  EXPECT_EQ(reports, "[HI|2|1][HI|3|0][H\nI|3|1]");
  EXPECT_EQ(toHex(port.written()), "0B 01 79 00 01 07 16 0B 00");
}

TEST_F(PlanoMonitorModeTest, EscapeDialect) {
  const std::string reports =
      run("FE 37"
          // a cursor move ends the line
          " 48 49 FE 47 05 00"
          // a cursor move with nothing on the line does nothing
          " FE 47 06 00"
          // clear: a new line is passed on at cursor 0
          " 41 FE 4B FE 4B"
          // the same line after a clear is not passed on again
          " 41 FE 4B"
          // hello again; unknown escapes are dropped
          " FE 37 FE 99 42 FE 47 07 00");
  EXPECT_EQ(reports, "[HI|5|1][A|0|1][B|7|1]");
  EXPECT_EQ(toHex(port.written()), "0B 01 79 00 01 07 16 34 34 0B 00");
  EXPECT_FALSE(strategy.isActive());
}

TEST_F(PlanoMonitorModeTest, LinesAreBounded) {
  const std::string reports = run("02 00 0D " + toHex(Bytes(600, 0x41)) + " 0D");
  EXPECT_EQ(reports, "[" + std::string(511, 'A') + "|0|1]");
}

TEST_F(PlanoMonitorModeTest, ReadTimeOutsAreWaitedOutInTwoHundredMillisecondSteps) {
  int silences = 0;
  port.onSilence = [&] {
    if (++silences == 3) strategy.requestStop();
  };
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{200, 200}));
}

// Fails every read with something else than a time-out.
class BrokenPort : public ScriptedPort {
 public:
  uint8_t readByte() override { throw ErrorOnInitializationException(L"gone"); }
};

TEST(PlanoMonitorModeFailureTest, AnotherPortFailureEndsMonitorModeWithTheSwitchOff) {
  BrokenPort port;
  PlanoMonitorModeStrategy strategy;
  strategy.startMonitorMode(port, nullptr, nullptr);
  EXPECT_EQ(toHex(port.written()), "0B 01 79 00 01 07 16 0B 00");
  EXPECT_EQ(strategy.stopMonitorMode(), 0);
  EXPECT_TRUE(QrTest::failsAsNotSupported([&] { strategy.startGlint(port); },
                                          L"PlanoMonitorModeStrategy::startGlint -- "));
  EXPECT_TRUE(QrTest::failsAsNotSupported([&] { strategy.stopGlint(port); },
                                          L"NoMonitorodeStrategy::stopGlint -- "));
}

// --- pocket reader

TEST(PagelingMonitorModeTest, LinesEndedByCarriageReturn) {
  QrTest::ScopedVirtualClock clock;
  StreamPort port(&*clock);
  PagelingMonitorModeStrategy strategy;
  port.answerNextWrite(hex("48 06 49 0A 0D 0D 41 0D"));
  int silences = 0;
  port.onSilence = [&] {
    if (++silences == 2) strategy.stopMonitorMode();
  };
  MonitorRecorder sink;
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_EQ(describe(sink.reports), "[HI|0|1][|0|1][A|0|1]");
  EXPECT_EQ(toHex(port.written()), "05 07");
  EXPECT_FALSE(strategy.isActive());
}

TEST(PagelingMonitorModeTest, ARequestedStopEndsTheLoop) {
  // Once the device has ended monitor mode its sink may be gone: the loop must not go on.
  QrTest::ScopedVirtualClock clock;
  StreamPort port(&*clock);
  PagelingMonitorModeStrategy strategy;
  port.onSilence = [&] { strategy.requestStop(); };
  strategy.startMonitorMode(port, nullptr, nullptr);
  EXPECT_FALSE(strategy.isActive());
}

TEST(PagelingMonitorModeTest, ASecondStartCollides) {
  QrTest::ScopedVirtualClock clock;
  StreamPort port(&*clock);
  PagelingMonitorModeStrategy strategy;
  port.answerNextWrite(hex("41 0D"));
  MonitorRecorder sink;
  bool collided = false;
  sink.onReport = [&] {
    collided = failsWith<MethodCollisionException>(
        [&] { strategy.startMonitorMode(port, &sink, nullptr); },
        L"PagelingMonitorModeStrategy::startMonitorMode --  Method is already active. It cannot "
        L"be activated for a second time");
    EXPECT_TRUE(strategy.isActive());
  };
  port.onSilence = [&] { strategy.stopMonitorMode(); };
  strategy.startMonitorMode(port, &sink, nullptr);
  EXPECT_TRUE(collided);
}

TEST(PagelingMonitorModeTest, APortFailureEndsTheLoopAndLeavesNothingToWaitFor) {
  BrokenPort port;
  PagelingMonitorModeStrategy strategy;
  EXPECT_TRUE(failsWith<ErrorOnInitializationException>(
      [&] { strategy.startMonitorMode(port, nullptr, nullptr); }, L"gone"));
  EXPECT_FALSE(strategy.isActive());
  EXPECT_EQ(strategy.stopMonitorMode(), 0);
  // It can be started again.
  EXPECT_TRUE(failsWith<ErrorOnInitializationException>(
      [&] { strategy.startMonitorMode(port, nullptr, nullptr); }, L"gone"));
  EXPECT_TRUE(QrTest::failsAsNotSupported([&] { strategy.startGlint(port); },
                                          L"PagelingMonitorModeeStrategy::startGlint -- "));
  EXPECT_TRUE(QrTest::failsAsNotSupported([&] { strategy.stopGlint(port); },
                                          L"PagelingMonitorModeStrategy::stopGlint -- "));
}

}  // namespace
}  // namespace QrCom
