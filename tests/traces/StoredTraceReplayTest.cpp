// The stored trace of a current display's whole update (scripts/make-traces.sh), replayed to
// the updater on the emulated USB-HID bus: a change to what goes on the wire shows up as a
// divergence at its offset. The older display's trace is replayed over a pty by the
// integration tests.
#include <gtest/gtest.h>

#include "emulator/replay/Replay.h"
#include "tests/app/UpdateHarness.h"

namespace QrTest {
namespace {

const std::string kVantraTrace = QR_TEST_DATA "/traces/vantra-hid.trace";

class StoredTraceTest : public UpdateRun {
 protected:
  QrApp::UpdateOutcome updateAgainst(const std::vector<QrEmu::TracedEvent>& events) {
    faked.clear();
    displays.push_back(QrEmu::makeReplayDisplay(events, &replay));
    hidBus = std::make_unique<QrEmu::EmulatedHidBus>(&*clock);
    hidBus->attach(*displays.back());
    return run(std::filesystem::path(QR_TEST_DATA "/traces/vantra").wstring());
  }

  QrEmu::Replay* replay = nullptr;
};

TEST_F(StoredTraceTest, ACurrentDisplaysUpdateReplaysToTheEnd) {
  EXPECT_EQ(updateAgainst(QrEmu::readTraceFile(kVantraTrace)), QrApp::UpdateOutcome::Succeeded);
  EXPECT_TRUE(replay->complete()) << replay->report();
  EXPECT_EQ(ui.messages, kUpdateDone);
}

// As if the host had sent one command byte differently: the first byte of the write in which
// the recording's host passes half of its bytes.
TEST_F(StoredTraceTest, AChangedCommandByteIsReportedAtItsOffset) {
  std::vector<QrEmu::TracedEvent> events = QrEmu::readTraceFile(kVantraTrace);
  uint64_t offset = 0, written = 0;
  for (const auto& event : events) written += event.event == "write" ? event.bytes.size() : 0;
  auto changed = events.begin();
  for (; changed->event != "write" || 2 * (offset + changed->bytes.size()) < written; ++changed) {
    if (changed->event == "write") offset += changed->bytes.size();
  }
  changed->bytes[0] ^= 0x01;
  EXPECT_EQ(updateAgainst(events), QrApp::UpdateOutcome::Failed);
  EXPECT_EQ(replay->report().rfind("the host's byte " + std::to_string(offset) +
                                       " differs from trace line " + std::to_string(changed->line) +
                                       ": expected " + QrEmu::toHex({changed->bytes[0]}),
                                   0),
            0u)
      << replay->report();
}

}  // namespace
}  // namespace QrTest
