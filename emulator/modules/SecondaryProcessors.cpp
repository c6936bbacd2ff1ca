#include "emulator/modules/SecondaryProcessors.h"

#include <string>

#include "emulator/Display.h"
#include "emulator/modules/Acknowledgement.h"
#include "emulator/modules/FileTransfer.h"

namespace QrEmu {

namespace {
constexpr uint8_t kUpdate = 0x5A;
constexpr uint8_t kProgress = 0x5B;
constexpr uint8_t kFinished = 0x5C;
constexpr uint8_t kBrailleProcessor = 1;
constexpr uint8_t kUsbController = 2;
constexpr uint8_t kDone = 0;
constexpr uint8_t kEmptyFile = 1;
constexpr uint8_t kNoFile = 2;
constexpr uint8_t kSteps[] = {20, 40, 60, 80};
}  // namespace

bool SecondaryProcessors::onPacket(Display& display, const Packet& packet) {
  if (display.mode() != Mode::Normal || packet.type != kUpdate) return false;
  const uint8_t target = packet.payload.empty() ? 0 : packet.payload[0];
  if (target != kBrailleProcessor && target != kUsbController) {
    acknowledge(display, false);
    return true;
  }
  acknowledge(display, true);

  const std::string name(packet.payload.begin() + 1, packet.payload.end());
  FileTransfer* files = display.find<FileTransfer>();
  const DeviceFile* file = files != nullptr ? files->files().find(name) : nullptr;
  uint8_t code = file == nullptr ? kNoFile : file->content.empty() ? kEmptyFile : kDone;
  uint32_t delay = 0;
  if (code == kDone) {
    for (uint8_t percent : kSteps) {
      delay += kStepMs;
      display.sendPacket(kProgress, {0x00, percent}, delay);
    }
    (target == kBrailleProcessor ? brailleProcessor_ : usbController_) = file->content;
  }
  display.sendPacket(kFinished, {0x00, code}, delay + kStepMs);
  return true;
}

}  // namespace QrEmu
