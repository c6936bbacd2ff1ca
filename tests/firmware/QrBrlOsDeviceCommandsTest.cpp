// The Bluetooth module's update and the secondary processors' updates, byte for byte.
#include <gtest/gtest.h>

#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::hex;

const std::wstring kVantraPath = L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}";
const char kAck[] = "79 54 02 07 7E 16";
const char kRefused[] = "79 54 02 07 00 16";

// The secondary processor's frames arrive once the host has purged after the acknowledgement.
class SecondaryDisplayPort : public QrTest::ScriptedPort {
 public:
  explicit SecondaryDisplayPort(QrTest::VirtualClock* clock) : ScriptedPort(clock, Kind::Hid) {}
  void purge() override {
    ScriptedPort::purge();
    if (++purges_ == 2) deliver(frames);
  }
  Bytes frames;

 private:
  int purges_ = 0;
};

// A processor that reports the same progress every second and never finishes.
class EndlessProgressPort : public SecondaryDisplayPort {
 public:
  explicit EndlessProgressPort(QrTest::VirtualClock* clock)
      : SecondaryDisplayPort(clock), clock_(clock) {}
  uint8_t readByte() override {
    if (pending() == 0 && !frames.empty() && written().size() > 0) {
      clock_->advance(1000);
      deliver(frames);
    }
    return SecondaryDisplayPort::readByte();
  }

 private:
  QrTest::VirtualClock* clock_;
};

class SecondarySink : public SecondaryFirmwareUploadProgressSink {
 public:
  void onSecondaryProgress(QuorlinDevice*, int kind, const std::wstring& fileName,
                           uint32_t percent) override {
    kinds.push_back(kind);
    names.push_back(fileName);
    percents.push_back(percent);
  }
  std::vector<int> kinds;
  std::vector<std::wstring> names;
  std::vector<uint32_t> percents;
};

class QrBrlOsDeviceCommandsTest : public ::testing::Test {
 protected:
  QrBrlOsDeviceCommandsTest() : display_(*clock_, 84, 0x0103) {
    bus_.attach(kVantraPath, display_.device());
    device_ = std::make_unique<QuorlinDevice>(kVantraPath);
    strategy_ = std::make_unique<QrBrlOsFirmwareUploadStrategy>(device_.get());
  }

  std::wstring update(int kind, SecondarySink* sink) {
    return QrTest::failureOf(
        [&] { strategy_->updateSecondaryProcessor(port_, kind, L"8051.hex", sink); });
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::ScriptedHidBus bus_;
  QrTest::ScriptedHidDisplay display_;
  QrTest::TempDir temp_;
  std::unique_ptr<QuorlinDevice> device_;
  std::unique_ptr<QrBrlOsFirmwareUploadStrategy> strategy_;
  SecondaryDisplayPort port_{&*clock_};
};

TEST_F(QrBrlOsDeviceCommandsTest, BluetoothModuleGetsEveryRecordAsItsText) {
  const std::wstring file = temp_.write(L"bluetooth.rom", ":020000040800F2\r\n:00000001FF\r\n");
  QrTest::Conversation talk(port_);
  talk.step("79 54 01 6A 16", kAck)
      .step("79 54 10 6B 3A 30 32 30 30 30 30 30 34 30 38 30 30 46 32 16", kAck)
      .step("79 54 0C 6B 3A 30 30 30 30 30 30 30 31 46 46 16", kAck)
      .step("79 54 01 6C 16", kAck);
  const size_t before = clock_->pauses().size();
  EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(port_, file, nullptr); }),
            L"(no failure)");
  EXPECT_TRUE(talk.finished());
  const auto pauses = clock_->pauses();
  EXPECT_EQ(std::vector<uint32_t>(pauses.begin() + before, pauses.end()),
            (std::vector<uint32_t>{300, 300}));
}

TEST_F(QrBrlOsDeviceCommandsTest, BluetoothFailuresHaveTheirTexts) {
  const std::wstring file = temp_.write(L"bluetooth.rom", ":020000040800F2\r\n:00000001FF\r\n");
  const std::wstring prefix = L"QrBrlOsFirmwareUploadStrategy::loadBtFirmware -- ";
  {
    QrTest::Conversation talk(port_);
    talk.step("79 54 01 6A 16", kRefused);
    EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(port_, file, nullptr); }),
              prefix + L"Cannot initiate Bluetooth firmware update.");
  }
  {
    QrTest::ScriptedPort port(&*clock_, QrTest::ScriptedPort::Kind::Hid);
    QrTest::Conversation talk(port);
    talk.step("79 54 01 6A 16", kAck)
        .step("79 54 10 6B 3A 30 32 30 30 30 30 30 34 30 38 30 30 46 32 16", kRefused);
    EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(port, file, nullptr); }),
              prefix + L"Cannot upload Bluetooth hex file.");
    EXPECT_TRUE(talk.finished());
  }
  {
    QrTest::ScriptedPort port(&*clock_, QrTest::ScriptedPort::Kind::Hid);
    QrTest::Conversation talk(port);
    talk.step("79 54 01 6A 16", kAck)
        .step("79 54 10 6B 3A 30 32 30 30 30 30 30 34 30 38 30 30 46 32 16", kAck)
        .step("79 54 0C 6B 3A 30 30 30 30 30 30 30 31 46 46 16", kAck)
        .step("79 54 01 6C 16");
    EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(port, file, nullptr); }),
              prefix + L"Cannot finish Bluetooth firmware update.");
  }
}

TEST_F(QrBrlOsDeviceCommandsTest, CancelledBluetoothUpdateEndsWithAnAbort) {
  const std::wstring file = temp_.write(L"bluetooth.rom", ":020000040800F2\r\n:00000001FF\r\n");
  QrTest::Conversation talk(port_);
  talk.step("79 54 01 6A 16", kAck)
      .step("79 54 10 6B 3A 30 32 30 30 30 30 30 34 30 38 30 30 46 32 16", kAck)
      .step("79 54 01 6D 16");
  struct CancellingSink : FirmwareUploadProgressSink {
    QrBrlOsFirmwareUploadStrategy* strategy;
    int progress = 0;
    void onProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t, uint64_t,
                    uint64_t, uint64_t) override {
      if (++progress == 2) strategy->cancel();
    }
    void onStage(QuorlinDevice*, uint32_t) override {}
  } sink;
  sink.strategy = strategy_.get();
  EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(port_, file, &sink); }),
            L"QrBrlOsFirmwareUploadStrategy::loadBtFirmware -- Cannot upload Bluetooth hex file.");
  EXPECT_TRUE(talk.finished());
}

TEST_F(QrBrlOsDeviceCommandsTest, SecondaryProcessorReportsItsProgress) {
  QrTest::Conversation talk(port_);
  talk.step("79 54 0A 5A 01 38 30 35 31 2E 68 65 78 16", kAck);
  port_.frames =
      hex("79 54 03 5B 00 0A 16  79 54 03 5B 00 32 16  79 54 03 5B 00 5A 16  79 54 03 5C 00 00 16");
  SecondarySink sink;
  EXPECT_EQ(update(0, &sink), L"(no failure)");
  EXPECT_TRUE(talk.finished());
  EXPECT_EQ(sink.percents, (std::vector<uint32_t>{10, 50, 90, 100}));
  EXPECT_EQ(sink.kinds, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(sink.names.back(), L"8051.hex");
}

TEST_F(QrBrlOsDeviceCommandsTest, UsbControllerRunsWithoutASink) {
  QrTest::Conversation talk(port_);
  talk.step("79 54 0A 5A 02 76 6E 63 32 2E 72 6F 6D 16", kAck);
  port_.frames = hex("79 54 03 5B 00 0A 16  79 54 03 5C 00 00 16");
  EXPECT_EQ(
      QrTest::failureOf([&] { strategy_->executeUsbFirmwareUpdate(port_, L"vnc2.rom", nullptr); }),
      L"(no failure)");
  EXPECT_TRUE(talk.finished());
}

TEST_F(QrBrlOsDeviceCommandsTest, FinishCodesAndStrangeFramesFail) {
  const std::string notFinished =
      "QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor -- Cannot finish updating "
      "secondary processor.";
  const std::string unknown =
      "ErrorWhileLoadingHexFile: QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor -- "
      "unknown response from device";
  const std::pair<const char*, std::string> cases[] = {
      {"79 54 03 5C 00 01 16", "HexFilesAreEmpty: " + notFinished},
      {"79 54 03 5C 00 02 16", "NoHexFileFound: " + notFinished},
      {"79 54 03 5C 00 03 16", "CannotSwitchToEprom: " + notFinished},
      {"79 54 03 5C 00 07 16", "ErrorWhileLoadingHexFile: " + notFinished},
      {"79 54 03 5D 00 00 16", unknown},
      {"79 54 03", unknown},  // cut short
  };
  for (const auto& [frames, failure] : cases) {
    SecondaryDisplayPort port(&*clock_);
    QrTest::Conversation talk(port);
    talk.step("79 54 0A 5A 01 38 30 35 31 2E 68 65 78 16", kAck);
    port.frames = hex(frames);
    EXPECT_EQ(QrTest::failure(
                  [&] { strategy_->updateSecondaryProcessor(port, 0, L"8051.hex", nullptr); }),
              failure)
        << frames;
  }
}

TEST_F(QrBrlOsDeviceCommandsTest, RefusedStartAndEndlessSilenceFail) {
  const std::wstring prefix = L"QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor -- ";
  {
    QrTest::Conversation talk(port_);
    talk.step("79 54 0A 5A 01 38 30 35 31 2E 68 65 78 16", kRefused);
    EXPECT_EQ(update(0, nullptr), prefix + L"Cannot start secondary firmware upload.");
  }
  SecondaryDisplayPort port(&*clock_);
  QrTest::Conversation talk(port);
  talk.step("79 54 0A 5A 01 38 30 35 31 2E 68 65 78 16", kAck);
  port.frames = hex("79 54 03 5B 00 0A 16");  // then silence
  const uint64_t start = clock_->now();
  EXPECT_EQ(QrTest::failureOf(
                [&] { strategy_->updateSecondaryProcessor(port, 0, L"8051.hex", nullptr); }),
            prefix + L"Cannot finish updating secondary processor.");
  EXPECT_GE(clock_->now() - start, QrBrlOsFirmwareUploadStrategy::kSecondarySilenceLimitMs);
  EXPECT_LE(clock_->now() - start, QrBrlOsFirmwareUploadStrategy::kSecondarySilenceLimitMs + 10000);
}

TEST_F(QrBrlOsDeviceCommandsTest, EndlessProgressFailsAfterTheOverallLimit) {
  EndlessProgressPort port(&*clock_);
  QrTest::Conversation talk(port);
  talk.step("79 54 0A 5A 01 38 30 35 31 2E 68 65 78 16", kAck);
  port.frames = hex("79 54 03 5B 00 0A 16");
  const uint64_t start = clock_->now();
  EXPECT_EQ(QrTest::failureOf(
                [&] { strategy_->updateSecondaryProcessor(port, 0, L"8051.hex", nullptr); }),
            L"QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor -- Cannot finish updating "
            L"secondary processor.");
  EXPECT_GE(clock_->now() - start, QrBrlOsFirmwareUploadStrategy::kSecondaryOverallLimitMs);
  EXPECT_LE(clock_->now() - start, QrBrlOsFirmwareUploadStrategy::kSecondaryOverallLimitMs + 10000);
}

}  // namespace
}  // namespace QrCom
