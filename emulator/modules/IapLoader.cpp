#include "emulator/modules/IapLoader.h"

#include "emulator/Display.h"
#include "emulator/modules/Acknowledgement.h"
#include "qrcom/firmware/HexFile.h"

namespace QrEmu {

namespace {
constexpr uint8_t kRestart = 0x99;
constexpr uint8_t kFlashLock = 0x4A;
constexpr uint8_t kErase = 0x4B;
constexpr uint8_t kBeginUpload = 0x4C;
constexpr uint8_t kRecord = 0x4D;
constexpr uint8_t kEndUpload = 0x4E;
constexpr uint8_t kAbortUpload = 0x4F;

bool isSoundRecord(const std::string& text) {
  std::vector<QrCom::HexRecord> records;
  return QrCom::cutHexRecords(text, records) == std::string_view::npos && records.size() == 1;
}
}  // namespace

bool IapLoader::onPacket(Display& display, const Packet& packet) {
  if (packet.type == kRestart && packet.payload.size() == 1 && packet.payload[0] <= 1 &&
      (display.mode() == Mode::Normal || display.mode() == Mode::Iap)) {
    acknowledge(display, true);
    restart(display, packet.payload[0] == 1);
    return true;
  }
  if (display.mode() != Mode::Iap) return false;
  return loaderCommand(display, packet);
}

// Claims the loader's commands; true when it answered.
bool IapLoader::loaderCommand(Display& display, const Packet& packet) {
  if (packet.type < kFlashLock || packet.type > kAbortUpload) return false;
  bool done = false;
  switch (packet.type) {
    case kFlashLock:
      if (packet.payload.size() != 1 || packet.payload[0] > 1) break;
      locked_ = packet.payload[0] == 1;
      done = true;
      break;
    case kErase:
      done = !locked_;
      if (done) {
        erased_ = true;
        flashed_.clear();
      }
      break;
    case kBeginUpload:
      done = erased_;
      if (done) {
        uploading_ = true;
        received_.clear();
      }
      break;
    case kRecord:
      done = takeRecord(packet);
      break;
    case kEndUpload:
      done = uploading_;
      if (done) {
        uploading_ = false;
        erased_ = false;
        flashed_ = received_;
      }
      break;
    case kAbortUpload:
      uploading_ = false;
      received_.clear();
      done = true;
      break;
  }
  acknowledge(display, done);
  return true;
}

bool IapLoader::takeRecord(const Packet& packet) {
  if (!uploading_) return false;
  const std::string text(packet.payload.begin(), packet.payload.end());
  if (!isSoundRecord(text)) return false;
  received_.push_back(text);
  return true;
}

void IapLoader::restart(Display& display, bool intoLoader) {
  ++restarts_;
  // An upload in progress does not survive a restart.
  uploading_ = false;
  received_.clear();
  display.setMode(intoLoader ? Mode::Iap : Mode::Normal);
  display.leaveUsb(kAwayMs);
}

}  // namespace QrEmu
