#include "emulator/modules/ServiceInformation.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kRead = 0x31;
constexpr uint8_t kWrite = 0x30;
constexpr uint8_t kNoRecord = 0xFE;
constexpr size_t kRecordSize = 20;
constexpr uint8_t kAcknowledgement = 0x07;
constexpr uint8_t kAcknowledged = 0x7E;
constexpr uint8_t kRefused = 0x00;
}  // namespace

bool ServiceInformation::onPacket(Display& display, const Packet& packet) {
  if (display.mode() != Mode::Normal) return false;
  if (packet.type == kRead) {
    if (record_) {
      display.sendPacket(kRead, *record_);
    } else {
      display.send({kNoRecord});
    }
    return true;
  }
  if (packet.type != kWrite) return false;
  const bool stored = packet.payload.size() == kRecordSize;
  if (stored) record_ = packet.payload;
  display.sendPacket(kAcknowledgement, {stored ? kAcknowledged : kRefused});
  return true;
}

}  // namespace QrEmu
