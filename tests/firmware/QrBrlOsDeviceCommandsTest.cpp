// The Bluetooth module's update and the secondary processors' updates, byte for byte.
#include <gmock/gmock.h>

#include "qrcom/base/DebugOutput.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "qrcom/firmware/SecondaryUploadProgressHelper.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/TempDir.h"

namespace QrCom::Secondary {
namespace {

using QrTest::hex;
using ::testing::StartsWith;

const char kAck[] = "79 54 02 07 7E 16";
const std::string kPrefix = "QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor -- ";
const std::string kNotFinished = kPrefix + "Cannot finish updating secondary processor.";

// The processor's frames arrive once the host has purged after the acknowledgement; an endless
// one sends them again a second after the host found nothing more to read.
class SecondaryPort : public QrTest::ScriptedPort {
 public:
  SecondaryPort(QrTest::VirtualClock* clock, const std::string& frames, bool endless)
      : ScriptedPort(clock, Kind::Hid), clock_(clock), frames_(hex(frames)), endless_(endless) {}
  void purge() override {
    ScriptedPort::purge();
    if (++purges_ == 2) deliver(frames_);
  }
  uint8_t readByte() override {
    if (endless_ && purges_ >= 2 && pending() == 0) {
      clock_->advance(1000);
      deliver(frames_);
    }
    return ScriptedPort::readByte();
  }

 private:
  QrTest::VirtualClock* clock_;
  QrTest::Bytes frames_;
  bool endless_;
  int purges_ = 0;
};

class QrBrlOsDeviceCommandsTest : public ::testing::Test,
                                  public FirmwareUploadProgressSink,
                                  public SecondaryFirmwareUploadProgressSink {
 protected:
  QrBrlOsDeviceCommandsTest() : display_(*clock_, 84, 0x0103) {
    bus_.attach(L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}", display_.device());
    device_ = std::make_unique<QuorlinDevice>(L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}");
    strategy_ = std::make_unique<QrBrlOsFirmwareUploadStrategy>(device_.get());
  }

  // How an update of the Braille processor (kind 0) or the USB controller (1) ended after the
  // display's `answer` and `frames`, and the progress reported as "kind:percent".
  std::string update(int kind, const std::string& answer, const std::string& frames,
                     bool endless = false) {
    SecondaryPort port(&*clock_, frames, endless);
    QrTest::Conversation talk(port);
    talk.step("79 54 0A 5A 0" + std::to_string(kind + 1) + " 38 30 35 31 2E 68 65 78 16", answer);
    progress_.clear();
    const std::string outcome = QrTest::failure([&] {
      if (kind == 0) strategy_->executeBrailleFirmwareUpdate(port, L"8051.hex", this);
      if (kind == 1) strategy_->executeUsbFirmwareUpdate(port, L"8051.hex", this);
    });
    EXPECT_TRUE(talk.finished());
    return outcome + progress_;
  }
  void onSecondaryProgress(QuorlinDevice*, int kind, const std::wstring& name,
                           uint32_t percent) override {
    EXPECT_EQ(name, L"8051.hex");
    progress_ += " " + std::to_string(kind) + ":" + std::to_string(percent);
  }
  void onStage(QuorlinDevice*, uint32_t) override {}
  void onProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t, uint64_t,
                  uint64_t, uint64_t) override {
    if (++reports_ == cancelAt_) strategy_->cancel();
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::ScriptedHidBus bus_;
  QrTest::ScriptedHidDisplay display_;
  std::unique_ptr<QuorlinDevice> device_;
  std::unique_ptr<QrBrlOsFirmwareUploadStrategy> strategy_;
  std::string progress_;
  int reports_ = 0, cancelAt_ = 0;
};

TEST_F(QrBrlOsDeviceCommandsTest, BluetoothModuleGetsEveryRecordAsItsText) {
  QrTest::TempDir temp;
  const std::wstring file = temp.write(L"bluetooth.rom", ":020000040800F2\r\n:00000001FF\r\n");
  const std::string begin = "79 54 01 6A 16", finish = "79 54 01 6C 16",
                    refused = "79 54 02 07 00 16";
  const std::string first =
      "79 54 10 6B " + QrTest::toHex(QrTest::ascii(":020000040800F2")) + " 16";
  const std::string last = "79 54 0C 6B " + QrTest::toHex(QrTest::ascii(":00000001FF")) + " 16";
  const std::string prefix = "QrBrlOsFirmwareUploadStrategy::loadBtFirmware -- ";
  const struct {
    std::vector<std::pair<std::string, std::string>> steps;
    std::string outcome;
    int cancelAt;
  } cases[] = {
      {{{begin, kAck}, {first, kAck}, {last, kAck}, {finish, kAck}}, "(no failure)", 0},
      {{{begin, refused}},
       "CannotSwitchToEprom: " + prefix + "Cannot initiate Bluetooth firmware update.",
       0},
      {{{begin, kAck}, {first, refused}},
       "ErrorWhileLoadingHexFile: " + prefix + "Cannot upload Bluetooth hex file.",
       0},
      {{{begin, kAck}, {first, kAck}, {last, kAck}, {finish, ""}},
       "CannotSwitchToEprom: " + prefix + "Cannot finish Bluetooth firmware update.",
       0},
      // A cancel after the first record ends the exchange with an abort.
      {{{begin, kAck}, {first, kAck}, {"79 54 01 6D 16", ""}},
       "ErrorWhileLoadingHexFile: " + prefix + "Cannot upload Bluetooth hex file.",
       2},
  };
  for (const auto& row : cases) {
    QrTest::ScriptedPort port(&*clock_, QrTest::ScriptedPort::Kind::Hid);
    QrTest::Conversation talk(port);
    for (const auto& [host, answer] : row.steps) talk.step(host, answer);
    reports_ = 0;
    cancelAt_ = row.cancelAt;
    const size_t before = clock_->pauses().size();
    EXPECT_EQ(QrTest::failure([&] { strategy_->loadBtFirmware(port, file, this); }), row.outcome);
    EXPECT_TRUE(talk.finished());
    const auto pauses = clock_->pauses();
    if (row.steps.size() == 4) {
      EXPECT_EQ(std::vector<uint32_t>(pauses.begin() + before, pauses.end()),
                (std::vector<uint32_t>{300, 300}));
    }
  }
}

TEST_F(QrBrlOsDeviceCommandsTest, SecondaryProcessorsReportTheirProgressAndFinishCode) {
  const std::string finished = "79 54 03 5C 00 00 16";
  const std::string unknown =
      "ErrorWhileLoadingHexFile: " + kPrefix + "unknown response from device";
  const struct {
    int kind;
    std::string frames, outcome;
  } cases[] = {
      {0, "79 54 03 5B 00 0A 16 79 54 03 5B 00 32 16 79 54 03 5B 00 5A 16 " + finished,
       "(no failure) 0:10 0:50 0:90 0:100"},
      {1, "79 54 03 5B 00 0A 16 " + finished, "(no failure) 1:10 1:100"},
      {0, "79 54 03 5C 00 01 16", "HexFilesAreEmpty: " + kNotFinished},
      {0, "79 54 03 5C 00 02 16", "NoHexFileFound: " + kNotFinished},
      {0, "79 54 03 5C 00 03 16", "CannotSwitchToEprom: " + kNotFinished},
      {0, "79 54 03 5C 00 07 16", "ErrorWhileLoadingHexFile: " + kNotFinished},
      {0, "79 54 03 5D 00 00 16", unknown},
      {0, "79 54 03", unknown},  // cut short
  };
  for (const auto& row : cases) EXPECT_EQ(update(row.kind, kAck, row.frames), row.outcome);
  EXPECT_EQ(update(0, "79 54 02 07 00 16", ""),
            "NoDeviceFound: " + kPrefix + "Cannot start secondary firmware upload.");
}

TEST_F(QrBrlOsDeviceCommandsTest, SilenceAndEndlessProgressAreGivenUp) {
  for (const bool endless : {false, true}) {
    const uint64_t start = clock_->now();
    EXPECT_THAT(update(0, kAck, "79 54 03 5B 00 0A 16", endless),
                StartsWith("ErrorWhileLoadingHexFile: " + kNotFinished));
    const double limit = endless ? QrBrlOsFirmwareUploadStrategy::kSecondaryOverallLimitMs
                                 : QrBrlOsFirmwareUploadStrategy::kSecondarySilenceLimitMs;
    EXPECT_NEAR(static_cast<double>(clock_->now() - start), limit + 5000, 5000);
  }
}

#ifndef _WIN32
// On Linux the processor's debug lines go to standard error, and only in verbose runs.
TEST_F(QrBrlOsDeviceCommandsTest, VerboseRunsShowTheDebugLinesOnStandardError) {
  for (const bool verbose : {false, true}) {
    setVerboseDebugOutput(verbose);
    ::testing::internal::CaptureStderr();
    update(0, kAck, "79 54 03 5B 00 0A 16 79 54 03 5C 00 00 16");
    setVerboseDebugOutput(false);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              verbose ? "updating progress: 10 \nfinish updating progress with code: 0 \n" : "");
  }
}
#endif

TEST_F(QrBrlOsDeviceCommandsTest, TheHelperShowsTheTransferAsTheFirstHalf) {
  SecondaryUploadProgressHelper helper(this, 1);
  helper.onTransferProgress(nullptr, L"8051.hex", 1, 0, 1000, 1000, 600, 600);
  helper.onSecondaryProgress(nullptr, 0, L"8051.hex", 60);
  helper.onTransferProgress(nullptr, L"8051.hex", 1, 0, 0, 0, 0, 0);      // nothing announced
  helper.onTransferProgress(nullptr, L"8051.hex", 1, 0, 10, 10, 30, 30);  // more than announced
  helper.onSecondaryProgress(nullptr, 0, L"8051.hex", 250);
  EXPECT_EQ(progress_, " 1:30 0:80 1:0 1:50 0:100");
  SecondaryUploadProgressHelper silent(nullptr, 0);
  silent.onTransferProgress(nullptr, L"8051.hex", 1, 0, 10, 10, 5, 5);
  silent.onSecondaryProgress(nullptr, 0, L"8051.hex", 5);
}

}  // namespace
}  // namespace QrCom::Secondary
