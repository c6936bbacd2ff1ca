// The stored trace of a current display's whole update (scripts/make-traces.sh), replayed to
// the updater on the emulated USB-HID bus: a change to what goes on the wire shows up as a
// divergence at its offset. The older display's trace is replayed over a pty by the
// integration tests.
#include <gtest/gtest.h>

#include "emulator/hid/EmulatedHidBus.h"
#include "emulator/replay/Replay.h"
#include "tests/app/UpdateHarness.h"
#include "tests/traces/HidSearch.h"

namespace QrTest {
namespace {

const std::string kVantraTrace = QR_TEST_DATA "/traces/vantra-hid.trace";

class StoredTraceTest : public ::testing::Test {
 protected:
  QrApp::UpdateOutcome updateAgainst(const std::vector<QrEmu::TracedEvent>& events) {
    display = QrEmu::makeReplayDisplay(events, &replay);
    bus.attach(*display);
    QrApp::FirmwareUploadControler controller(ui, ui, hidOnlySearch());
    return QrApp::updateFromCommandLine(
        controller, std::filesystem::path(QR_TEST_DATA "/traces/vantra").wstring());
  }

  ScopedVirtualClock clock;
  QrEmu::EmulatedHidBus bus{&*clock};
  std::unique_ptr<QrEmu::Display> display;
  QrEmu::Replay* replay = nullptr;
  RecordingUi ui;
};

TEST_F(StoredTraceTest, ACurrentDisplaysUpdateReplaysToTheEnd) {
  EXPECT_EQ(updateAgainst(QrEmu::readTraceFile(kVantraTrace)), QrApp::UpdateOutcome::Succeeded);
  EXPECT_TRUE(replay->complete()) << replay->report();
  EXPECT_EQ(ui.messages, kUpdateDone);
}

// As if the host had sent one command byte differently: the byte in the middle of the
// recording's writes.
TEST_F(StoredTraceTest, AChangedCommandByteIsReportedAtItsOffset) {
  std::vector<QrEmu::TracedEvent> events = QrEmu::readTraceFile(kVantraTrace);
  std::vector<QrEmu::TracedEvent*> writes;
  for (auto& event : events) {
    if (event.event == "write") writes.push_back(&event);
  }
  ASSERT_GT(writes.size(), 20u);
  QrEmu::TracedEvent& changed = *writes[writes.size() / 2];
  uint64_t offset = 0;
  for (size_t i = 0; i < writes.size() / 2; ++i) offset += writes[i]->bytes.size();
  const uint8_t sent = changed.bytes[0];
  changed.bytes[0] ^= 0x01;

  EXPECT_EQ(updateAgainst(events), QrApp::UpdateOutcome::Failed);
  ASSERT_TRUE(replay->divergence());
  EXPECT_EQ(replay->divergence()->offset, offset);
  EXPECT_EQ(replay->divergence()->line, changed.line);
  EXPECT_EQ(replay->divergence()->got.at(0), sent);
}

}  // namespace
}  // namespace QrTest
