#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Conversation;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr uint8_t kSwitchingModel = 0x74;
constexpr char kTo115200[] = "79 74 02 0D 11 16";
constexpr char kTo19200[] = "79 74 02 0D 19 16";
constexpr char kSwitchAgreed[] = "79 74 02 07 7E 16";

// The upload of "abc" as A after the rate switch.
void scriptUpload(Conversation& device) {
  device.step("25", "06 25 00 01 00 00 00 00 10 00 16")
      .step("06 16")
      .step("03", "06 03")
      .step("05 00 1C 41 05 01 0F 16", "06 16")
      .step("03", "06 03")
      .step("03 00 61 62 63 16", "06 16")
      .step("04", "06 04");
}

class RateSwitchTest : public ::testing::Test {
 protected:
  void upload(ScriptedPort& port) {
    sink_.onReport = [&](uint64_t) { transferBaud_ = port.getBaudRate(); };
    strategy_.receiveFile(port, nullptr, source_, L"A", 0, 1, &sink_);
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::TempDir dir_;
  const std::wstring source_ = dir_.write(L"a", "abc");
  ScriptedPort hid_{&*clock_, ScriptedPort::Kind::Hid};
  BrailleSystemVersion20010FileTransferStrategy strategy_{kSwitchingModel};
  QrTest::RecordingSink sink_;
  uint32_t transferBaud_ = 0;
};

TEST_F(RateSwitchTest, NoSwitchOnAComPort) {
  ScriptedPort com(&*clock_);
  Conversation device(com);
  scriptUpload(device);
  upload(com);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(transferBaud_, 19200u);
  EXPECT_TRUE(clock_->pauses().empty());
}

TEST_F(RateSwitchTest, UploadRunsAt115200AndReturnsTo19200) {
  hid_.setCanChangeBaudRate(true);
  Conversation device(hid_);
  device.step(kTo115200, kSwitchAgreed).step("FF", "FE 74");
  scriptUpload(device);
  device.step(kTo19200, kSwitchAgreed).step("FF", "FE 74");
  upload(hid_);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(transferBaud_, 115200u);
  EXPECT_EQ(hid_.getBaudRate(), 19200u);
  EXPECT_EQ(clock_->pauses(), (std::vector<uint32_t>{100, 100}));
  // Each switch purges before the probe.
  EXPECT_EQ(hid_.calls()[2].type, ScriptedPort::Call::Purge);
}

TEST_F(RateSwitchTest, UnansweredProbeFallsBackTo19200AfterTwoSeconds) {
  hid_.setCanChangeBaudRate(true);
  Conversation device(hid_);
  device.step(kTo115200, kSwitchAgreed).step("FF");
  scriptUpload(device);
  device.step(kTo19200, kSwitchAgreed).step("FF", "FE 74");
  upload(hid_);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(transferBaud_, 19200u);
  EXPECT_EQ(clock_->pauses(), (std::vector<uint32_t>{100, 2000, 100}));
}

TEST_F(RateSwitchTest, WrongProbeAnswerFallsBackToo) {
  hid_.setCanChangeBaudRate(true);
  Conversation device(hid_);
  device.step(kTo115200, kSwitchAgreed).step("FF", "FE 75");
  scriptUpload(device);
  device.step(kTo19200, kSwitchAgreed).step("FF", "FE 74");
  upload(hid_);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(transferBaud_, 19200u);
}

TEST_F(RateSwitchTest, RefusedSwitchKeepsTheRateWithoutProbing) {
  hid_.setCanChangeBaudRate(true);
  Conversation device(hid_);
  device.step(kTo115200, "79 74 02 07 00 16");
  scriptUpload(device);
  device.step(kTo19200, "79 74 02 07");  // cut short
  upload(hid_);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(transferBaud_, 19200u);
  EXPECT_TRUE(clock_->pauses().empty());
}

TEST_F(RateSwitchTest, LengthByteOfTheAnswerIsNotExamined) {
  hid_.setCanChangeBaudRate(true);
  Conversation device(hid_);
  device.step("79 74 02 0D 57 16", "79 74 EE 07 7E 16").step("FF", "FE 74");
  strategy_.setTransferBaudRate(hid_, 57600, kSwitchingModel);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(hid_.getBaudRate(), 57600u);
}

TEST_F(RateSwitchTest, OnlyThreeRates) {
  hid_.setCanChangeBaudRate(true);
  strategy_.setTransferBaudRate(hid_, 9600, kSwitchingModel);
  strategy_.setTransferBaudRate(hid_, 38400, kSwitchingModel);
  EXPECT_TRUE(hid_.written().empty());
}

TEST_F(RateSwitchTest, FailedDownloadStillReturnsTo19200) {
  hid_.setCanChangeBaudRate(true);
  Conversation device(hid_);
  device.step(kTo115200, kSwitchAgreed)
      .step("FF", "FE 74")
      .step("21", "06 21")
      .step("02 00 41 21 16", "15 18")
      .step(kTo19200, kSwitchAgreed)
      .step("FF", "FE 74");
  EXPECT_TRUE(QrTest::failsWith<FileNotFoundOnDeviceException>(
      [&] { strategy_.sendFile(hid_, nullptr, L"A", dir_.path(L"b"), 3, nullptr); },
      L"BrailleSystemVersion2000FileTransferStrategy::sendFile -- File not found on device."));
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(hid_.getBaudRate(), 19200u);
  EXPECT_FALSE(dir_.exists(L"b"));
}

}  // namespace
}  // namespace QrCom
