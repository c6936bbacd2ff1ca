#include "emulator/modules/PacketSerialNumber.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kRead = 0x41;
constexpr uint8_t kSet = 0x40;
constexpr uint8_t kAcknowledgement = 0x07;
constexpr uint8_t kAcknowledged = 0x7E;
constexpr uint8_t kRefused = 0x00;
constexpr size_t kMaxLength = 40;
}  // namespace

bool PacketSerialNumber::onPacket(Display& display, const Packet& packet) {
  const bool loader = display.mode() == Mode::Iap;
  if (display.mode() != Mode::Normal && !loader) return false;
  if (packet.type == kRead) {
    display.sendPacket(kRead, Bytes(serialNumber_.begin(), serialNumber_.end()));
    return true;
  }
  if (packet.type != kSet || loader) return false;
  // Checksum and text bytes sum to 0.
  uint8_t sum = 0;
  for (uint8_t byte : packet.payload) sum = static_cast<uint8_t>(sum + byte);
  const bool sound = !packet.payload.empty() && packet.payload.size() <= kMaxLength + 1 && sum == 0;
  if (sound) {
    serialNumber_.assign(packet.payload.begin() + 1, packet.payload.end());
    display.sendPacket(kAcknowledgement, {kAcknowledged});
  } else {
    display.sendPacket(kAcknowledgement, {kRefused});
  }
  return true;
}

}  // namespace QrEmu
