// The firmware of the current displays over USB-HID: the main firmware by in-application
// programming, the Bluetooth module, and the secondary processors that reprogram themselves.
#include <gmock/gmock.h>

#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/firmware/Golden.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/TempDir.h"

namespace QrCom::QrBrlOsUpload {
namespace {

using namespace QrTest;
using namespace ::testing;

// One record ends in LF only and the last in nothing: each keeps its last character.
const char kFirmware[] =
    ":020000040800F2\r\n:1000000000010203040506070809101112131415F4\n:00000001FF";
const std::string kToRecords = " 99 01 4A 00 99 01 4B 4C";
const std::string kAck = "79 54 02 07 7E 16", kRefused = "79 54 02 07 00 16";

// A failure without its class and operation prefix.
std::string bare(const std::string& failure) {
  return std::regex_replace(OneLine::brief(failure), std::regex(": \\w+ -- "), ": ");
}

std::wstring instancePath(int instance) {
  return L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&" + std::to_wstring(instance) + L"&0&0000#{guid}";
}

// A secondary processor's frames arrive once the host has purged after the acknowledgement.
class SecondaryPort : public ScriptedPort {
 public:
  SecondaryPort(VirtualClock* clock, const std::string& frames)
      : ScriptedPort(clock, Kind::Hid), frames_(hex(frames)) {}
  void purge() override {
    ScriptedPort::purge();
    if (++purges_ == 2) deliver(frames_);
  }

 private:
  Bytes frames_;
  int purges_ = 0;
};

// A display (model 84) whose loader acknowledges every command but the first whose type and
// payload begin with `refused_`; each restart makes it leave the bus and come back, under a new
// path unless told to keep it.
class QrBrlOsFirmwareUploadTest : public ::testing::Test,
                                  public FirmwareUploadProgressSink,
                                  public SecondaryFirmwareUploadProgressSink {
 protected:
  QrBrlOsFirmwareUploadTest() : display_(*clock_, 84, 0x0103) {
    bus_.attach(path_, display_.device());
    display_.setHandler([this](const ScriptedHidDisplay::Packet& packet) {
      if (packet.type == 0x99) {
        iap_ = packet.payload.at(0) == 1;
        bus_.detach(path_);
        if (comesBack_ && !keepPath_) path_ = instancePath(++instance_);
        if (comesBack_) bus_.attach(path_, display_.device());
      }
      if ((packet.type == 0x4D && !iap_) ||
          (!refused_.empty() && toHex(Bytes{packet.type} + packet.payload).find(refused_) == 0)) {
        refused_.clear();
        return display_.refusal();
      }
      return packet.type == 0x4F ? Bytes(6, 0x00) : display_.acknowledgement();
    });
    device_ = std::make_unique<QuorlinDevice>(path_);
    strategy_ = std::make_unique<QrBrlOsFirmwareUploadStrategy>(device_.get());
    firmware_ = temp_.write(L"firmware.txt", kFirmware);
  }

  // How the upload ended (without the failure's prefix) and the packets the display got, records
  // as "4D".
  std::string load() {
    display_.forgetPackets();
    port_ = &device_->reopenHidPort(path_);
    trace_.clear();
    std::string result = bare(failure([&] { strategy_->loadFirmware(*port_, firmware_, this); }));
    for (const auto& packet : display_.packets()) {
      result +=
          " " + toHex(packet.type == 0x4D ? Bytes{0x4D} : Bytes{packet.type} + packet.payload);
    }
    return result;
  }
  // A Bluetooth update of `file` on a display that plays `script` (without the failures' prefix),
  // and its progress.
  std::string bluetooth(const std::string& script, const std::wstring& file) {
    trace_.clear();
    auto load = [&](SerialPort& port) {
      return strategy_->loadBtFirmware(port, file, this), "done";
    };
    return bare(OneLine::run(script, load, ScriptedPort::Kind::Hid, &*clock_)) + trace_;
  }
  // How a Braille processor (kind 0) or USB controller (1) update ended after the display's
  // `answer` and `frames`; then the progress reported, as "kind:percent".
  std::string update(int kind, const std::string& answer, const std::string& frames) {
    SecondaryPort port(&*clock_, frames);
    trace_.clear();
    auto start = [&](SerialPort&) {
      if (kind == 0) strategy_->executeBrailleFirmwareUpdate(port, L"8051.hex", this);
      if (kind == 1) strategy_->executeUsbFirmwareUpdate(port, L"8051.hex", this);
      return "(no failure)";
    };
    return bare(
               OneLine::run("79 54 0A 5A 0" + std::to_string(kind + 1) + " '8051.hex' 16>" + answer,
                            start, ScriptedPort::Kind::Hid, nullptr, &port)) +
           trace_;
  }
  void onStage(QuorlinDevice*, uint32_t stage) override { trace_ += " s" + std::to_string(stage); }
  void onProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t total, uint64_t,
                  uint64_t done, uint64_t) override {
    trace_ += " " + std::to_string(done) + "/" + std::to_string(total);
    if (--cancelAfter_ == 0) strategy_->cancel();
  }
  void onSecondaryProgress(QuorlinDevice*, int kind, const std::wstring& name,
                           uint32_t percent) override {
    EXPECT_EQ(name, L"8051.hex");
    trace_ += " " + std::to_string(kind) + ":" + std::to_string(percent);
    clock_->advance(progressTakes_);
  }

  ScopedVirtualClock clock_;
  ScriptedHidBus bus_;
  ScriptedHidDisplay display_;
  QrTest::TempDir temp_;
  std::wstring firmware_, path_ = instancePath(1);
  std::unique_ptr<QuorlinDevice> device_;
  SerialPort* port_ = nullptr;
  std::unique_ptr<QrBrlOsFirmwareUploadStrategy> strategy_;
  int instance_ = 1, cancelAfter_ = 0;
  uint32_t progressTakes_ = 0;
  bool iap_ = false, comesBack_ = true, keepPath_ = false;
  std::string refused_, trace_;
};

TEST_F(QrBrlOsFirmwareUploadTest, UploadsTheFirmwareThroughTheLoader) {
  EXPECT_EQ(load(), "(no failure)" + kToRecords + " 4D 4D 4D 4E 4A 01 99 00");
  const auto packets = display_.packets();
  EXPECT_EQ(packets[5].payload + packets[6].payload + packets[7].payload,
            ascii(":020000040800F2:1000000000010203040506070809101112131415F4:00000001FF"));
  EXPECT_EQ(trace_, " s2 s4 s6 s6 0/72 17/72 61/72 72/72 72/72 s5");
  const auto pauses = clock_->pauses();
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 3000u), 3);
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 6000u), 1);
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 100u), 0) << "the display came back at once";
  EXPECT_EQ(instance_, 4);  // three restarts, each under a new path
}

TEST_F(QrBrlOsFirmwareUploadTest, EachRefusalHasItsFailure) {
  const std::pair<std::string, std::string> cases[] = {
      {"4A 00", "CannotDeleteFlash: Cannot unlock flash. 99 01 4A 00"},
      {"4B", "CannotDeleteFlash: Cannot erase flash. 99 01 4A 00 99 01 4B"},
      {"4C", "ErrorWhileLoadingHexFile: Cannot upload hex file." + kToRecords},
      {"4D 3A 31", "ErrorWhileLoadingHexFile: Cannot upload hex file." + kToRecords + " 4D 4D"},
      {"4E", "ErrorWhileLoadingHexFile: Cannot upload hex file." + kToRecords + " 4D 4D 4D 4E"},
      {"99 00", "CannotSwitchToFlash: Cannot restart system in normal mode." + kToRecords +
                    " 4D 4D 4D 4E 4A 01 99 00"},
      {"4A 01", "(no failure)" + kToRecords + " 4D 4D 4D 4E 4A 01 99 00"},  // the lock may fail
  };
  for (const auto& [refused, outcome] : cases) {
    refused_ = refused;
    EXPECT_EQ(load(), outcome);
  }
  cancelAfter_ = 2;  // a cancel after the first record aborts and restarts into the firmware
  EXPECT_EQ(load(),
            "ErrorWhileLoadingHexFile: Cannot upload hex file." + kToRecords + " 4D 4F 99 00 4D");
  EXPECT_FALSE(iap_);

  // A record of exactly the loader's limit goes out whole, a longer one fails.
  const std::string record = ":2C000000" + std::string(88, '0') + "D4";  // 99 characters
  firmware_ = temp_.write(L"limit.txt", record + "\r\n:00000001FF\r\n");
  ASSERT_EQ(load(), "(no failure)" + kToRecords + " 4D 4D 4E 4A 01 99 00");
  // 79 54 64 4D, the record and 16: 62 bytes in the first report, the other 42 in the next.
  std::string reports;
  for (const auto& report : display_.device()->sent()) reports += toHex(report.bytes) + "\n";
  EXPECT_THAT(reports,
              HasSubstr(toHex(hex("02 3E 79 54 64 4D") + ascii(record.substr(0, 58))) + "\n" +
                        toHex(hex("02 2A") + ascii(record.substr(58)) + hex("16") + Bytes(20, 0))));
  firmware_ = temp_.write(L"long.txt", ":020000040800F2\r\n:" + std::string(99, '0') + "\r\n");
  EXPECT_EQ(load(), "ErrorWhileLoadingHexFile: Cannot upload hex file." + kToRecords + " 4D");

  // What cannot be flashed is refused before anything is sent.
  ScriptedPort com;
  EXPECT_EQ(bare(failure([&] { strategy_->loadBtFirmware(com, firmware_, nullptr); })),
            "NoDeviceFound: No USB-HID port used.");
  for (const auto& [text, failure] :
       {std::pair<std::string, std::string>{"\r\n\r\n", " holds no Intel HEX record."},
        {std::string(kMaxHexFileBytes + 1, ':'), " is too large."}}) {
    firmware_ = temp_.write(L"bad.hex", text);
    EXPECT_EQ(load(), "ErrorWhileLoadingHexFile: Firmware file " + describe(firmware_) + failure);
  }
}

TEST_F(QrBrlOsFirmwareUploadTest, RestartsTakeOnlyTheDisplaysOwnInterfaceWhenItComesBack) {
  // A display on COM restarts without taking a USB interface.
  ScriptedPort com(&*clock_);
  com.answerNextWrite(display_.acknowledgement());
  const int listings = bus_.listings();
  EXPECT_TRUE(strategy_->restartSystem(com, true));
  EXPECT_EQ(bus_.listings(), listings);
  // With two displays only the old path will do.
  bus_.attach(instancePath(100), std::make_shared<ScriptedHid>(*clock_));
  keepPath_ = true;
  EXPECT_TRUE(strategy_->restartSystem(device_->reopenHidPort(path_), false));
  keepPath_ = false;
  EXPECT_FALSE(strategy_->restartSystem(device_->reopenHidPort(path_), false));
  EXPECT_EQ(instance_, 2);
  // A display that does not come back fails the restart.
  comesBack_ = false;
  const int before = bus_.listings();
  EXPECT_EQ(load(), "CannotSwitchToEprom: Cannot switch into IAP mode. 99 01");
  EXPECT_EQ(bus_.listings() - before, 1 + 201);  // before the restart and after
  const auto pauses = clock_->pauses();
  EXPECT_EQ(pauses[pauses.size() - 201], 3000u);
  EXPECT_EQ(std::count(pauses.end() - 200, pauses.end(), 100u), 200);
}

TEST_F(QrBrlOsFirmwareUploadTest, BluetoothModuleGetsEveryRecordAsItsText) {
  const std::wstring file = temp_.write(L"bt.rom", ":020000040800F2\r\n:00000001FF\r\n");
  const std::string begin = "79 54 01 6A 16>", first = "79 54 10 6B ':020000040800F2' 16>";
  const std::string records = first + kAck + ",79 54 0C 6B ':00000001FF' 16>" + kAck;
  const std::string all = " s6 0/30 17/30 30/30 30/30";
  EXPECT_EQ(bluetooth(begin + kAck + "," + records + ",79 54 01 6C 16>" + kAck, file),
            "done" + all);
  EXPECT_EQ(clock_->pauses().back(), 300u);
  EXPECT_EQ(bluetooth(begin + kRefused, file),
            "CannotSwitchToEprom: Cannot initiate Bluetooth firmware update.");
  EXPECT_EQ(bluetooth(begin + kAck + "," + first + kRefused, file),
            "ErrorWhileLoadingHexFile: Cannot upload Bluetooth hex file. s6 0/30");
  EXPECT_EQ(bluetooth(begin + kAck + "," + records + ",79 54 01 6C 16", file),
            "CannotSwitchToEprom: Cannot finish Bluetooth firmware update." + all);
  cancelAfter_ = 2;  // a cancel after the first record ends the exchange with an abort
  EXPECT_EQ(bluetooth(begin + kAck + "," + first + kAck + ",79 54 01 6D 16", file),
            "ErrorWhileLoadingHexFile: Cannot upload Bluetooth hex file. s6 0/30 17/30");

  // The secondary processors report their progress and finish code.
  const std::string finished = " 79 54 03 5C 00 00 16", progress = "79 54 03 5B 00 0A 16";
  const std::string notFinished = "Cannot finish updating secondary processor.";
  const std::string unknown = "ErrorWhileLoadingHexFile: unknown response from device";
  EXPECT_EQ(update(0, kAck, progress + " 79 54 03 5B 00 32 16 79 54 03 5B 00 5A 16" + finished),
            "(no failure) 0:10 0:50 0:90 0:100");
  EXPECT_EQ(update(1, kAck, progress + finished), "(no failure) 1:10 1:100");
  const std::pair<std::string, std::string> cases[] = {
      {"79 54 03 5C 00 01 16", "HexFilesAreEmpty: " + notFinished},
      {"79 54 03 5C 00 02 16", "NoHexFileFound: " + notFinished},
      {"79 54 03 5C 00 03 16", "CannotSwitchToEprom: " + notFinished},
      {"79 54 03 5C 00 07 16", "ErrorWhileLoadingHexFile: " + notFinished},
      {"79 54 03 5D 00 00 16", unknown},
      {"79 54 03", unknown},  // cut short
  };
  for (const auto& [frames, outcome] : cases) EXPECT_EQ(update(0, kAck, frames), outcome);
  EXPECT_EQ(update(0, kRefused, ""), "NoDeviceFound: Cannot start secondary firmware upload.");
  // Silence, and progress every second for ever, are given up at their limits.
  for (const uint32_t limit : {QrBrlOsFirmwareUploadStrategy::kSecondarySilenceLimitMs,
                               QrBrlOsFirmwareUploadStrategy::kSecondaryOverallLimitMs}) {
    const uint64_t start = clock_->now();
    progressTakes_ = limit == QrBrlOsFirmwareUploadStrategy::kSecondarySilenceLimitMs ? 0 : 1000;
    std::string frames;
    while (frames.size() < (progressTakes_ == 0 ? 1u : 2000u) * 21) frames += progress + " ";
    EXPECT_THAT(update(0, kAck, frames), StartsWith("ErrorWhileLoadingHexFile: " + notFinished));
    EXPECT_NEAR(static_cast<double>(clock_->now() - start), limit + 5000.0, 5000);
  }
}

}  // namespace
}  // namespace QrCom::QrBrlOsUpload
