#include "emulator/modules/EpromBootLoader.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "emulator/Display.h"
#include "qrcom/device/ModelTable.h"

namespace QrEmu {

namespace {

constexpr uint8_t kWake = 0xFF;
constexpr uint8_t kAwake = 0xFE;
constexpr uint8_t kInfoMode = 0xAE;
constexpr uint8_t kOk = 0x4F;
constexpr uint8_t kNotOk = 0x00;
constexpr uint8_t kBeginUpload = 0xAD;
constexpr uint8_t kErase = 0x4C;
constexpr uint8_t kShowLine = 0x50;
constexpr size_t kLongestWord = 16;
constexpr size_t kLongestRecord = 1 + 2 * (1 + 2 + 1 + 255 + 1);
constexpr size_t kSerialBytes = 40;

bool isHexDigit(uint8_t byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'F') ||
         (byte >= 'a' && byte <= 'f');
}

}  // namespace

// A command word after 0xAE: every character is echoed, the closing blank ends it. A word
// longer than any command is dropped.
class CommandWord : public Expectation {
 public:
  CommandWord(Display& display, EpromBootLoader& loader) : display_(display), loader_(loader) {}
  bool take(uint8_t byte) override {
    if (byte == ' ') return true;
    word_.push_back(static_cast<char>(byte));
    display_.send({byte});
    if (word_.size() > kLongestWord) word_.clear();
    return word_.empty();
  }
  void finish() override { loader_.onWord(display_, word_); }

 private:
  Display& display_;
  EpromBootLoader& loader_;
  std::string word_;
};

// One Intel HEX record after its colon: two digits give its length, the rest follows. A
// character that is no hex digit ends it at once, as an unsound record.
class HexRecordStep : public Expectation {
 public:
  HexRecordStep(Display& display, EpromBootLoader& loader) : display_(display), loader_(loader) {}
  bool take(uint8_t byte) override {
    record_.push_back(static_cast<char>(byte));
    if (!isHexDigit(byte)) return true;
    if (record_.size() == 3) {
      const std::string length = record_.substr(1, 2);
      needed_ = 11 + 2 * std::stoul(length, nullptr, 16);
    }
    return record_.size() >= needed_ || record_.size() >= kLongestRecord;
  }
  void finish() override { loader_.onRecord(display_, record_); }

 private:
  Display& display_;
  EpromBootLoader& loader_;
  std::string record_ = ":";
  size_t needed_ = 11;
};

// A Braille line after packet type 0x50: wake bytes first, then 0x01 and one byte per cell.
class BrailleLine : public Expectation {
 public:
  BrailleLine(size_t length, std::function<void(const Bytes&)> then)
      : length_(length), then_(std::move(then)) {}
  bool take(uint8_t byte) override {
    if (line_.empty() && byte == kWake) return false;
    line_.push_back(byte);
    return line_.size() >= length_;
  }
  void finish() override { then_(line_); }

 private:
  size_t length_;
  std::function<void(const Bytes&)> then_;
  Bytes line_;
};

EpromBootLoader::EpromBootLoader() : EpromBootLoader(Options()) {}

EpromBootLoader::EpromBootLoader(Options options)
    : options_(std::move(options)), flash_(options_.banks) {}

int EpromBootLoader::selectedBank() const {
  return addressBits_ & (options_.banks - 1);
}

bool EpromBootLoader::onByte(Display& display, uint8_t byte) {
  const bool bootLoader = display.mode() == Mode::BootLoader;
  if (uploading_) {
    // Between records only a colon means anything.
    if (byte == ':') display.expect(std::make_unique<HexRecordStep>(display, *this));
    return true;
  }
  if (byte == kInfoMode && (bootLoader || display.mode() == Mode::Normal)) {
    display.send({kOk});
    display.expect(std::make_unique<CommandWord>(display, *this));
    return true;
  }
  if (!bootLoader) return false;
  if (byte == kWake) {
    display.send(wakeTellsModel_ ? Bytes{kAwake, display.modelId()} : Bytes{kAwake});
  } else if (byte == kBeginUpload) {
    uploading_ = true;
    uploadBank_ = selectedBank();
    flash_.beginUpload(uploadBank_);
    display.send({kOk});
  }
  return true;  // the boot loader ignores what it does not know
}

bool EpromBootLoader::onPacket(Display& display, const Packet& packet) {
  if (packet.type != kShowLine) return false;
  const auto cells = static_cast<size_t>(QrCom::ModelTable::cellCount(display.modelId()));
  display.expect(
      std::make_unique<BrailleLine>(cells + 1, [this](const Bytes& line) { shownLine_ = line; }));
  return true;
}

void EpromBootLoader::onReset(Display&) {
  uploading_ = false;
}

void EpromBootLoader::onWord(Display& display, const std::string& word) {
  if (word.empty()) return;
  const uint8_t answer = static_cast<uint8_t>(word[0]);
  if (word == "INFO") {
    display.send({answer});
    display.expectOneByte([this, &display](uint8_t command) { onInfoCommand(display, command); });
  } else if (word == "EPROMUmschaltung" && display.mode() == Mode::Normal) {
    display.send({answer});
    display.setMode(Mode::BootLoader);
    addressBits_ = 0;
  } else if (word == "FLASHUmschaltung" && display.mode() == Mode::BootLoader) {
    display.send({answer});
    display.setMode(Mode::Normal);
    restarted_ = true;
  }
}

bool EpromBootLoader::setAddressBit(Display& display, int bit, bool value, uint8_t answer) {
  if (options_.banks < (2 << bit)) return false;  // no such bit: silence
  addressBits_ = value ? addressBits_ | (1 << bit) : addressBits_ & ~(1 << bit);
  display.send({answer});
  return true;
}

void EpromBootLoader::onInfoCommand(Display& display, uint8_t command) {
  if (command == 'N') {
    Bytes serial(kSerialBytes, 0x00);
    std::copy_n(options_.serialNumber.begin(), std::min(options_.serialNumber.size(), kSerialBytes),
                serial.begin());
    display.send(serial);
    return;
  }
  if (display.mode() != Mode::BootLoader) return;
  switch (command) {
    case 'O':
      setAddressBit(display, 0, true, 'o');
      break;
    case 'U':
      setAddressBit(display, 0, false, 'u');
      break;
    case '2':
      setAddressBit(display, 1, true, '2');
      break;
    case '3':
      setAddressBit(display, 1, false, '3');
      break;
    case '5':
      setAddressBit(display, 2, true, '5');
      break;
    case '6':
      setAddressBit(display, 2, false, '6');
      break;
    case kErase:
      flash_.erase();
      ++erases_;
      display.send({kErase}, options_.eraseMs);
      break;
    default:
      display.startExchange(command);
  }
}

void EpromBootLoader::onRecord(Display& display, const std::string& record) {
  const bool sound = flash_.program(uploadBank_, record);
  display.send({sound ? kOk : kNotOk});
  if (!sound) return;
  // The end record finishes the bank.
  if (record.size() >= 9 && record.compare(7, 2, "01") == 0) uploading_ = false;
  if (unplugAfter_ != UINT32_MAX && --unplugAfter_ == 0) display.unplug();
}

}  // namespace QrEmu
