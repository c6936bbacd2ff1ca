// The main firmware of the current displays by in-application programming over USB-HID.
#include <gtest/gtest.h>

#include <algorithm>

#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/Services.h"
#include "tests/support/TempDir.h"

namespace QrCom::Iap {
namespace {

using QrTest::ascii;
using QrTest::Bytes;
using QrTest::hex;
using QrTest::operator+;

// One record ends in LF only and the last in nothing: each keeps its last character.
const char kFirmware[] =
    ":020000040800F2\r\n"
    ":1000000000010203040506070809101112131415F4\n"
    ":00000001FF";
const std::string kPrefix = "QrBrlOsFirmwareUploadStrategy::loadFirmware -- ";

std::wstring instancePath(int instance) {
  return L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&" + std::to_wstring(instance) +
         L"&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

// A current display (model 84) whose loader acknowledges every command but the first whose
// type and payload begin with `refused_`; each restart makes it leave the bus and come back,
// under a new path unless told to keep it.
class QrBrlOsIapUploadTest : public ::testing::Test, public FirmwareUploadProgressSink {
 protected:
  QrBrlOsIapUploadTest() : display_(*clock_, 84, 0x0103) {
    bus_.attach(instancePath(1), display_.device());
    display_.setHandler([this](const QrTest::ScriptedHidDisplay::Packet& packet) {
      const std::string command = QrTest::toHex(Bytes{packet.type} + packet.payload);
      if (packet.type == 0x99) {
        iap_ = packet.payload.at(0) == 1;
        bus_.detach(path_);
        if (comesBack_ && !keepPath_) path_ = instancePath(++instance_);
        if (comesBack_) bus_.attach(path_, display_.device());
      }
      if ((packet.type == 0x4D && !iap_) ||
          (!refused_.empty() && command.compare(0, refused_.size(), refused_) == 0)) {
        refused_.clear();
        return display_.refusal();
      }
      return packet.type == 0x4F ? Bytes(6, 0x00) : display_.acknowledgement();
    });
    device_ = std::make_unique<QuorlinDevice>(instancePath(1));
    strategy_ = std::make_unique<QrBrlOsFirmwareUploadStrategy>(device_.get());
    firmware_ = temp_.write(L"firmware.txt", kFirmware);
  }

  // How the upload ended (without the prefix) and the packets the display got, records as "4D".
  std::string load() {
    display_.forgetPackets();
    port_ = &device_->reopenHidPort(path_);
    trace_.clear();
    std::string result = QrTest::failure([&] { strategy_->loadFirmware(*port_, firmware_, this); });
    if (result.find(kPrefix) != std::string::npos)
      result.erase(result.find(kPrefix), kPrefix.size());
    for (const auto& packet : display_.packets()) {
      result += " " + QrTest::toHex(packet.type == 0x4D ? Bytes{0x4D}
                                                        : Bytes{packet.type} + packet.payload);
    }
    return result;
  }
  void onStage(QuorlinDevice*, uint32_t stage) override { trace_ += " s" + std::to_string(stage); }
  void onProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t total, uint64_t,
                  uint64_t done, uint64_t) override {
    trace_ += " " + std::to_string(done) + "/" + std::to_string(total);
    if (--cancelAfter_ == 0) strategy_->cancel();
  }
  // The HID reports that carried the packets' bytes.
  std::vector<Bytes> reports() const {
    std::vector<Bytes> sent;
    for (const auto& report : display_.device()->sent()) sent.push_back(report.bytes);
    return sent;
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::ScriptedHidBus bus_;
  QrTest::ScriptedHidDisplay display_;
  QrTest::TempDir temp_;
  std::unique_ptr<QuorlinDevice> device_;
  SerialPort* port_ = nullptr;
  std::unique_ptr<QrBrlOsFirmwareUploadStrategy> strategy_;
  std::wstring firmware_, path_ = instancePath(1);
  int instance_ = 1;
  bool iap_ = false, comesBack_ = true, keepPath_ = false;
  std::string refused_, trace_;
  int cancelAfter_ = 0;
};

TEST_F(QrBrlOsIapUploadTest, UploadsTheFirmwareThroughTheLoader) {
  EXPECT_EQ(load(), "(no failure) 99 01 4A 00 99 01 4B 4C 4D 4D 4D 4E 4A 01 99 00");
  const auto packets = display_.packets();
  EXPECT_EQ(packets[5].payload + packets[6].payload + packets[7].payload,
            ascii(":020000040800F2:1000000000010203040506070809101112131415F4:00000001FF"));
  Bytes report = hex("02 14 79 54 10 4D") + ascii(":020000040800F2") + hex("16");
  report.resize(64, 0);
  const auto sent = reports();
  EXPECT_NE(std::find(sent.begin(), sent.end(), report), sent.end());
  EXPECT_EQ(trace_, " s2 s4 s6 s6 0/72 17/72 61/72 72/72 72/72 s5");
  const auto pauses = clock_->pauses();
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 3000u), 3);
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 6000u), 1);
  EXPECT_EQ(instance_, 4);  // three restarts, each under a new path
  EXPECT_EQ(QrTest::claimedServices(*strategy_), "11 29 30 38");
}

TEST_F(QrBrlOsIapUploadTest, EachRefusalHasItsFailure) {
  const std::string toRecords = " 99 01 4A 00 99 01 4B 4C";
  const std::pair<std::string, std::string> cases[] = {
      {"4A 00", "CannotDeleteFlash: Cannot unlock flash. 99 01 4A 00"},
      {"4B", "CannotDeleteFlash: Cannot erase flash. 99 01 4A 00 99 01 4B"},
      {"4C", "ErrorWhileLoadingHexFile: Cannot upload hex file." + toRecords},
      {"4D 3A 31", "ErrorWhileLoadingHexFile: Cannot upload hex file." + toRecords + " 4D 4D"},
      {"4E", "ErrorWhileLoadingHexFile: Cannot upload hex file." + toRecords + " 4D 4D 4D 4E"},
      {"99 00", "CannotSwitchToFlash: Cannot restart system in normal mode." + toRecords +
                    " 4D 4D 4D 4E 4A 01 99 00"},
      {"4A 01", "(no failure)" + toRecords + " 4D 4D 4D 4E 4A 01 99 00"},  // the lock may fail
  };
  for (const auto& [refused, outcome] : cases) {
    refused_ = refused;
    EXPECT_EQ(load(), outcome);
  }
}

TEST_F(QrBrlOsIapUploadTest, CancelAbortsAndRestartsTheDisplayIntoItsFirmware) {
  cancelAfter_ = 2;  // after the first record
  EXPECT_EQ(
      load(),
      "ErrorWhileLoadingHexFile: Cannot upload hex file. 99 01 4A 00 99 01 4B 4C 4D 4F 99 00 4D");
  EXPECT_FALSE(iap_);
}

TEST_F(QrBrlOsIapUploadTest, ARecordOfTheLoadersLimitGoesOutWholeALongerOneFails) {
  const std::string record = ":2C000000" + std::string(88, '0') + "D4";  // 99 characters
  firmware_ = temp_.write(L"limit.txt", record + "\r\n:00000001FF\r\n");
  ASSERT_EQ(load(), "(no failure) 99 01 4A 00 99 01 4B 4C 4D 4D 4E 4A 01 99 00");
  EXPECT_EQ(display_.packets()[5].payload, ascii(record));
  // 79 54 64 4D, the record and 16: 62 bytes in the first report, the other 42 in the next.
  const Bytes first = hex("02 3E 79 54 64 4D") + ascii(record.substr(0, 58));
  Bytes second = hex("02 2A") + ascii(record.substr(58)) + hex("16");
  second.resize(64, 0);
  const auto sent = reports();
  const auto at = std::find(sent.begin(), sent.end(), first);
  ASSERT_LT(at + 1, sent.end());
  EXPECT_EQ(QrTest::toHex(at[1]), QrTest::toHex(second));

  firmware_ = temp_.write(L"long.txt", ":020000040800F2\r\n:" + std::string(99, '0') + "\r\n");
  EXPECT_EQ(load(), "ErrorWhileLoadingHexFile: Cannot upload hex file. 99 01 4A 00 99 01 4B 4C 4D");
}

TEST_F(QrBrlOsIapUploadTest, WhatCannotBeFlashedIsRefusedBeforeAnythingIsSent) {
  QrTest::ScriptedPort com;
  EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadFirmware(com, firmware_, nullptr); }),
            L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- No USB-HID port used.");
  EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(com, firmware_, nullptr); }),
            L"QrBrlOsFirmwareUploadStrategy::loadBtFirmware -- No USB-HID port used.");
  EXPECT_TRUE(com.calls().empty());
  const std::pair<std::string, std::string> cases[] = {
      {"", " holds no Intel HEX record."},
      {"\r\n\r\n", " holds no Intel HEX record."},
      {std::string(kMaxHexFileBytes + 1, ':'), " is too large."},
  };
  for (const auto& [text, failure] : cases) {
    firmware_ = temp_.write(L"bad.hex", text);
    EXPECT_EQ(load(),
              "ErrorWhileLoadingHexFile: Firmware file " + QrTest::describe(firmware_) + failure);
  }
}

TEST_F(QrBrlOsIapUploadTest, ADisplayOnComRestartsWithoutTakingAUsbInterface) {
  QrTest::ScriptedPort com(&*clock_);
  com.answerNextWrite(display_.acknowledgement());
  const int listings = bus_.listings();
  EXPECT_TRUE(strategy_->restartSystem(com, true));
  EXPECT_EQ(com.written(), hex("79 54 02 99 00 16"));
  EXPECT_EQ(bus_.listings(), listings);
  EXPECT_EQ(instance_, 1);
}

TEST_F(QrBrlOsIapUploadTest, WithTwoDisplaysOnlyTheOldPathIsTaken) {
  bus_.attach(instancePath(100), std::make_shared<QrTest::ScriptedHid>(*clock_));
  keepPath_ = true;
  port_ = &device_->reopenHidPort(path_);
  EXPECT_TRUE(strategy_->restartSystem(*port_, false));
  keepPath_ = false;  // back under a new path: not told apart from the other display
  port_ = &device_->reopenHidPort(path_);
  EXPECT_FALSE(strategy_->restartSystem(*port_, false));
}

TEST_F(QrBrlOsIapUploadTest, ADisplayThatDoesNotComeBackFailsTheRestart) {
  comesBack_ = false;
  const int before = bus_.listings();
  EXPECT_EQ(load(), "CannotSwitchToEprom: Cannot switch into IAP mode. 99 01");
  EXPECT_EQ(bus_.listings() - before, 1 + 201);  // before the restart and after
  std::vector<uint32_t> expected{3000};
  expected.insert(expected.end(), 200, 100);
  const auto pauses = clock_->pauses();
  EXPECT_EQ(std::vector<uint32_t>(pauses.end() - 201, pauses.end()), expected);
}

}  // namespace
}  // namespace QrCom::Iap
