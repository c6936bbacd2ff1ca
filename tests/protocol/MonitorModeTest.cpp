#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "qrcom/base/NativeSync.h"
#include "qrcom/protocol/PagelingMonitorModeStrategy.h"
#include "qrcom/protocol/PlanoMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

// A port whose silence (a read that finds nothing) calls `onSilence`, so a test can end or feed
// a receive loop once the scripted stream has been read.
class StreamPort : public ScriptedPort {
 public:
  using ScriptedPort::ScriptedPort;
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

// The reports as "[content|position|changed]": a text line, or the first `cells` cells in hex.
struct MonitorRecorder : MonitorSink {
  void onDisplay(QuorlinDevice*, const uint8_t* content, int position, bool changed) override {
    reports += "[" +
               (cells > 0 ? toHex(Bytes(content, content + cells))
                          : std::string(reinterpret_cast<const char*>(content))) +
               "|" + std::to_string(position) + "|" + (changed ? "1]" : "0]");
    if (onReport) onReport();
  }
  void onKey(QuorlinDevice*, uint8_t key) override { reports += "[key " + toHex({key}) + "]"; }
  void onMonitorModeEnded(QuorlinDevice*) override {}
  size_t cells = 0;
  std::string reports;
  std::function<void()> onReport;
};

// Monitor mode on a display that answers each of the host's writes with the next of `answers`,
// is silent once, then streams `stream` and, when silent again, is stopped from the loop's own
// thread (a requested stop, or a stop that must not wait for itself): the reports (of the first
// `cells` cells), the pauses and what the host wrote.
std::string monitor(MonitorModeStrategy& strategy, const std::vector<const char*>& answers,
                    const std::string& stream, size_t cells = 0, bool requested = true) {
  ScopedVirtualClock clock;
  StreamPort port(&*clock);
  for (const char* answer : answers) port.answerNextWrite(hex(answer));
  int silences = 0;
  port.onSilence = [&] {
    if (++silences == 2) port.deliver(hex(stream));
    if (silences == 3 && requested) strategy.requestStop();
    if (silences == 3 && !requested) strategy.stopMonitorMode();
  };
  MonitorRecorder sink;
  sink.cells = cells;
  strategy.startMonitorMode(port, &sink, nullptr);
  std::string pauses = strategy.isActive() ? " active " : " ";
  for (uint32_t pause : clock->pauses()) pauses += std::to_string(pause) + " ";
  return sink.reports + pauses + toHex(port.written());
}

TEST(MonitorModeTest, Streams) {
  // The current firmware (no device: model id 0) after its start and switch are acknowledged.
  const char* ok = "79 00 01 07 16";
  QrBrlOsMonitorModeStrategy current;
  for (int start = 0; start < 2; ++start) {  // each start from cleared cells
    EXPECT_EQ(monitor(current, {ok, ok, ok},
                      // position 0xFF, cells A B; the same at position 4; a key; one cell changes
                      "79 00 0B 1B FF 00 00 00 00 00 00 02 41 42 16 "
                      "79 00 0B 1B 04 00 00 00 00 00 00 02 41 42 16 79 00 02 55 21 16 "
                      "79 00 0A 1B 00 00 00 00 00 00 00 01 43 16 "
                      // a cell count beyond the report is bounded
                      "79 00 0B 1B 00 00 00 00 00 00 00 FF 41 42 16 "
                      // another model's report is dropped, with what follows
                      "79 01 0B 1B 01 00 00 00 00 00 00 02 43 44 16 "
                      "79 00 0A 1B 00 00 00 00 00 00 00 01 44 16",
                      3),
              "[41 42 00|0|1][41 42 00|5|0][key 21][43 42 00|1|1][41 42 00|1|1] 200 79 00 01 07 16 "
              "79 00 02 0B 01 16 79 00 02 0B 00 16");
  }

  PlanoMonitorModeStrategy legacy;
  EXPECT_EQ(monitor(legacy, {},
                    // noise before the synchronisation, then 02 x 0D; cursor 2 (0x2A - 40)
                    "41 02 58 0D 02 2A 48 49 0D "
                    // the same line with a new cursor: not changed; the same again: nothing
                    "02 2B 48 49 0D 02 2B 48 49 0D "
                    // control bytes are dropped, line feeds kept; lines are bounded
                    "02 2B 48 01 0A 49 0D " +
                        toHex(Bytes(600, 'A')) + " 0D"),
            "[HI|2|1][HI|3|0][H\nI|3|1][" + std::string(511, 'A') +
                "|3|1] 200 0B 01 79 00 01 07 16 0B 00");

  // The pocket reader's loop ends on a requested stop (its sink may be gone by then), and it can
  // be started again however it ended.
  PagelingMonitorModeStrategy pocket;
  EXPECT_EQ(monitor(pocket, {}, "48 06 49 0A 0D 0D 41 0D"), "[HI|0|1][|0|1][A|0|1] 200 05 07");
  EXPECT_EQ(monitor(pocket, {}, "41 0D", 0, false), "[A|0|1] 200 05 07");
}

TEST(MonitorModeTest, StopFromAnotherThreadEndsAStreamingLoop) {
  // A display that answers every request and streams one report after another.
  StreamPort port(nullptr);
  port.setResponder([](const Bytes&, ScriptedPort& self) { self.deliver(hex("79 00 01 07 16")); });
  port.onSilence = [&] { port.deliver(hex("79 00 0A 1B 00 00 00 00 00 00 00 01 41 16")); };
  QrBrlOsMonitorModeStrategy strategy;
  MonitorRecorder sink;
  sink.cells = 1;
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

}  // namespace
}  // namespace QrCom
