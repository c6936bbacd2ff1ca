#include "emulator/modules/RateSwitch.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kSetBaudRate = 0x0D;
constexpr uint8_t kAcknowledgement = 0x07;
constexpr uint8_t kAgreed = 0x7E;
}  // namespace

bool RateSwitch::onPacket(Display& display, const Packet& packet) {
  if (packet.type != kSetBaudRate || packet.payload.size() != 1) return false;
  const uint8_t code = packet.payload[0];
  if (code != 0x19 && code != 0x57 && code != 0x11) return false;
  display.sendPacket(kAcknowledgement, {kAgreed});
  return true;
}

}  // namespace QrEmu
