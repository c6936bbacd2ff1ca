#include <algorithm>

#include <gtest/gtest.h>

#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::ascii;
using QrTest::Bytes;
using QrTest::hex;
using Packet = QrTest::ScriptedHidDisplay::Packet;

const char kFirmware[] =
    ":020000040800F2\r\n"
    ":1000000000010203040506070809101112131415F4\r\n"
    ":00000001FF\r\n";

std::wstring instancePath(int instance) {
  return L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&" + std::to_wstring(instance) +
         L"&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

class IapProgressRecorder : public FirmwareUploadProgressSink {
 public:
  void onProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t totalBytes,
                  uint64_t, uint64_t doneBytes, uint64_t) override {
    total = totalBytes;
    done.push_back(doneBytes);
    if (onEachProgress) onEachProgress();
  }
  void onStage(QuorlinDevice*, uint32_t stage) override { stages.push_back(stage); }

  std::vector<uint32_t> stages;
  std::vector<uint64_t> done;
  uint64_t total = 0;
  std::function<void()> onEachProgress;
};

// A current display (model 84) whose loader acknowledges every command; each restart makes it
// leave the bus and come back, under a new path unless told to keep it.
class QrBrlOsIapUploadTest : public ::testing::Test {
 protected:
  QrBrlOsIapUploadTest() : display_(*clock_, 84, 0x0103) {
    bus_.attach(instancePath(1), display_.device());
    display_.setHandler([this](const Packet& packet) { return answer(packet); });
    device_ = std::make_unique<QuorlinDevice>(instancePath(1));
    display_.forgetPackets();  // the serial-number and version queries of the construction
    port_ = &device_->reopenHidPort(instancePath(1));
    strategy_ = std::make_unique<QrBrlOsFirmwareUploadStrategy>(device_.get());
    firmware_ = temp_.write(L"firmware.txt", kFirmware);
  }

  Bytes answer(const Packet& packet) {
    if (packet.type == 0x99) {
      iap_ = packet.payload.at(0) == 1;
      if (!comesBack_) {
        bus_.detach(path_);
      } else if (!keepPath_) {
        bus_.detach(path_);
        path_ = instancePath(++instance_);
        bus_.attach(path_, display_.device());
      }
    }
    if (packet.type == 0x4D && !iap_) return display_.refusal();
    if (packet.type == 0x4D && packet.payload.size() == refusedRecord_.size() &&
        std::equal(packet.payload.begin(), packet.payload.end(), refusedRecord_.begin())) {
      return display_.refusal();
    }
    if (std::find(
            refused_.begin(), refused_.end(),
            packet.payload.empty() ? packet.type << 8 : packet.type << 8 | packet.payload[0]) !=
        refused_.end()) {
      return display_.refusal();
    }
    if (packet.type == 0x4F) return Bytes(6, 0x00);
    return display_.acknowledgement();
  }

  // Type and payload of every packet the display got, as "99 01".
  std::vector<std::string> commands() const {
    std::vector<std::string> result;
    for (const Packet& packet : display_.packets()) {
      Bytes bytes{packet.type};
      if (packet.type != 0x4D)
        bytes.insert(bytes.end(), packet.payload.begin(), packet.payload.end());
      result.push_back(QrTest::toHex(bytes));
    }
    return result;
  }

  std::wstring load(IapProgressRecorder* sink = nullptr) {
    return QrTest::failureOf([&] { strategy_->loadFirmware(*port_, firmware_, sink); });
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::ScriptedHidBus bus_;
  QrTest::ScriptedHidDisplay display_;
  QrTest::TempDir temp_;
  std::unique_ptr<QuorlinDevice> device_;
  SerialPort* port_ = nullptr;
  std::unique_ptr<QrBrlOsFirmwareUploadStrategy> strategy_;
  std::wstring firmware_;
  std::wstring path_ = instancePath(1);
  int instance_ = 1;
  bool iap_ = false;
  bool comesBack_ = true;
  bool keepPath_ = false;
  std::vector<int> refused_;  // type << 8 | first payload byte
  std::string refusedRecord_;
};

TEST_F(QrBrlOsIapUploadTest, UploadsTheFirmwareThroughTheLoader) {
  IapProgressRecorder sink;
  EXPECT_EQ(load(&sink), L"(no failure)");
  EXPECT_EQ(commands(), (std::vector<std::string>{"99 01", "4A 00", "99 01", "4B", "4C", "4D", "4D",
                                                  "4D", "4E", "4A 01", "99 00"}));
  const auto packets = display_.packets();
  EXPECT_EQ(packets[5].payload, ascii(":020000040800F2"));
  EXPECT_EQ(packets[6].payload, ascii(":1000000000010203040506070809101112131415F4"));
  EXPECT_EQ(packets[7].payload, ascii(":00000001FF"));
  EXPECT_EQ(sink.stages, (std::vector<uint32_t>{2, 4, 6, 6, 5}));
  const uint64_t size = sizeof kFirmware - 1;
  EXPECT_EQ(sink.total, size);
  EXPECT_EQ(sink.done, (std::vector<uint64_t>{0, 17, 62, size, size}));
  const auto pauses = clock_->pauses();
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 3000u), 3);
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 6000u), 1);
  EXPECT_EQ(instance_, 4);  // three restarts, each under a new path
}

TEST_F(QrBrlOsIapUploadTest, ARecordTravelsAsItsTextInOnePacket) {
  ASSERT_EQ(load(), L"(no failure)");
  Bytes expected = hex("02 14 79 54 10 4D");
  const Bytes record = ascii(":020000040800F2");
  expected.insert(expected.end(), record.begin(), record.end());
  expected.push_back(0x16);
  expected.resize(64, 0);
  const auto sent = display_.device()->sent();
  EXPECT_NE(std::find_if(sent.begin(), sent.end(),
                         [&](const QrTest::ScriptedHid::Report& report) {
                           return report.bytes == expected;
                         }),
            sent.end());
}

TEST_F(QrBrlOsIapUploadTest, ASerialPortIsRefusedBeforeAnythingIsSent) {
  QrTest::ScriptedPort com;
  EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadFirmware(com, firmware_, nullptr); }),
            L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- No USB-HID port used.");
  EXPECT_EQ(QrTest::failureOf([&] { strategy_->loadBtFirmware(com, firmware_, nullptr); }),
            L"QrBrlOsFirmwareUploadStrategy::loadBtFirmware -- No USB-HID port used.");
  EXPECT_TRUE(com.calls().empty());
}

TEST_F(QrBrlOsIapUploadTest, AFileThatCannotBeFlashedIsRefusedBeforeAnythingIsSent) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L" holds no Intel HEX record."},
      {"\r\n\r\n", L" holds no Intel HEX record."},
      {std::string(kMaxHexFileBytes + 1, ':'), L" is too large."},
  };
  for (const auto& [text, failure] : cases) {
    firmware_ = temp_.write(L"bad.hex", text);
    EXPECT_EQ(load(), L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- Firmware file " + firmware_ +
                          failure);
  }
  EXPECT_TRUE(display_.packets().empty());
}

TEST_F(QrBrlOsIapUploadTest, ADisplayOnComRestartsWithoutTakingAUsbInterface) {
  QrTest::ScriptedPort com(&*clock_);
  com.answerNextWrite(display_.acknowledgement());
  const int listings = bus_.listings();
  EXPECT_TRUE(strategy_->restartSystem(com, true));
  EXPECT_EQ(bus_.listings(), listings);
  EXPECT_EQ(instance_, 1);
  EXPECT_EQ(commands(), std::vector<std::string>{});
}

TEST_F(QrBrlOsIapUploadTest, WithTwoDisplaysOnlyTheOldPathIsTaken) {
  bus_.attach(instancePath(100), std::make_shared<QrTest::ScriptedHid>(*clock_));
  keepPath_ = true;
  EXPECT_TRUE(strategy_->restartSystem(*port_, false));

  keepPath_ = false;  // back under a new path: not told apart from the other display
  port_ = &device_->reopenHidPort(path_);
  EXPECT_FALSE(strategy_->restartSystem(*port_, false));
}

TEST_F(QrBrlOsIapUploadTest, ADisplayThatDoesNotComeBackFailsTheRestart) {
  comesBack_ = false;
  const int before = bus_.listings();
  EXPECT_EQ(load(), L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- Cannot switch into IAP mode.");
  EXPECT_EQ(bus_.listings() - before, 1 + 201);
  std::vector<uint32_t> expected{3000};
  expected.insert(expected.end(), 200, 100);
  const auto pauses = clock_->pauses();
  EXPECT_EQ(std::vector<uint32_t>(pauses.end() - 201, pauses.end()), expected);
}

TEST_F(QrBrlOsIapUploadTest, EachRefusalHasItsFailure) {
  const std::pair<int, std::wstring> cases[] = {
      {0x4A00, L"Cannot unlock flash."},
      {0x4B00, L"Cannot erase flash."},
      {0x4C00, L"Cannot upload hex file."},
      {0x4E00, L"Cannot upload hex file."},
  };
  for (const auto& [refused, failure] : cases) {
    refused_ = {refused};
    EXPECT_EQ(load(), L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- " + failure);
    port_ = &device_->reopenHidPort(path_);
  }
  refused_ = {0x9900};
  EXPECT_EQ(load(),
            L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- "
            L"Cannot restart system in normal mode.");
}

TEST_F(QrBrlOsIapUploadTest, ARefusedLockAfterTheUploadDoesNotMatter) {
  refused_ = {0x4A01};
  EXPECT_EQ(load(), L"(no failure)");
}

TEST_F(QrBrlOsIapUploadTest, ARecordTheLoaderRefusesEndsTheUpload) {
  refusedRecord_ = ":1000000000010203040506070809101112131415F4";
  EXPECT_EQ(load(), L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- Cannot upload hex file.");
  const auto sent = commands();
  EXPECT_EQ(sent.back(), "4D");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "4D"), 2);
}

TEST_F(QrBrlOsIapUploadTest, CancelAbortsAndRestartsTheDisplayIntoItsFirmware) {
  IapProgressRecorder sink;
  sink.onEachProgress = [&] {
    if (sink.done.size() == 2) strategy_->cancel();  // after the first record
  };
  EXPECT_EQ(load(&sink), L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- Cannot upload hex file.");
  EXPECT_EQ(commands(), (std::vector<std::string>{"99 01", "4A 00", "99 01", "4B", "4C", "4D", "4F",
                                                  "99 00", "4D"}));
  EXPECT_FALSE(iap_);
}

TEST_F(QrBrlOsIapUploadTest, ARecordTooLongForTheLoaderFailsInsteadOfOverflowing) {
  const std::string longRecord = ":" + std::string(99, '0');
  firmware_ = temp_.write(L"long.txt", ":020000040800F2\r\n" + longRecord + "\r\n");
  EXPECT_EQ(load(), L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- Cannot upload hex file.");
  const auto sent = commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "4D"), 1);
}

TEST_F(QrBrlOsIapUploadTest, ARecordOfExactlyTheLoadersLimitGoesOutWhole) {
  const std::string record = ":2C000000" + std::string(88, '0') + "D4";  // 99 characters
  firmware_ = temp_.write(L"limit.txt", record + "\r\n:00000001FF\r\n");
  ASSERT_EQ(load(), L"(no failure)");
  EXPECT_EQ(display_.packets()[5].payload, ascii(record));
  // 79 54 64 4D, the record and 16: 62 bytes in the first report, the other 42 in the next.
  Bytes first = hex("02 3E 79 54 64 4D");
  first.insert(first.end(), record.begin(), record.begin() + 58);
  Bytes second = hex("02 2A");
  second.insert(second.end(), record.begin() + 58, record.end());
  second.push_back(0x16);
  second.resize(64, 0);
  const auto sent = display_.device()->sent();
  const auto at = std::find_if(sent.begin(), sent.end(), [&](const QrTest::ScriptedHid::Report& r) {
    return r.bytes == first;
  });
  ASSERT_NE(at, sent.end());
  ASSERT_NE(at + 1, sent.end());
  EXPECT_EQ(QrTest::toHex((at + 1)->bytes), QrTest::toHex(second));
}

TEST_F(QrBrlOsIapUploadTest, RecordsWithUnixLineEndsOrNoneKeepTheirLastCharacters) {
  firmware_ = temp_.write(L"unix.txt", ":020000040800F2\n:00000001FF");
  EXPECT_EQ(load(), L"(no failure)");
  const auto packets = display_.packets();
  EXPECT_EQ(packets[5].payload, ascii(":020000040800F2"));
  EXPECT_EQ(packets[6].payload, ascii(":00000001FF"));
}

}  // namespace
}  // namespace QrCom
