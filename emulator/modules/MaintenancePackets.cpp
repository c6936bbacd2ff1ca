#include "emulator/modules/MaintenancePackets.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kAcknowledgement = 0x07;
constexpr uint8_t kAcknowledged = 0x7E;
constexpr uint8_t kRefused = 0x7F;
constexpr uint8_t kBatteryInfo = 0x42;
constexpr uint8_t kBatteryTestMode = 0x43;
constexpr uint8_t kSetClock = 0x44;
constexpr uint8_t kGetClock = 0x45;
constexpr uint8_t kSetPin = 0x46;
constexpr uint8_t kGetPin = 0x47;
constexpr size_t kClockBytes = 7;
// The battery answer always carries 16 payload bytes; the figures are the first seven.
constexpr size_t kBatteryPayload = 16;
}  // namespace

void MaintenancePackets::acknowledge(Display& display, bool positive) {
  display.sendPacket(kAcknowledgement, {positive ? kAcknowledged : kRefused});
}

bool MaintenancePackets::onPacket(Display& display, const Packet& packet) {
  if (display.mode() != Mode::Normal) return false;
  switch (packet.type) {
    case kBatteryInfo: {
      Bytes payload = {static_cast<uint8_t>(batteryFirst >> 8),
                       static_cast<uint8_t>(batteryFirst & 0xFF),
                       static_cast<uint8_t>(batterySecond >> 8),
                       static_cast<uint8_t>(batterySecond & 0xFF),
                       batteryBytes[0],
                       batteryBytes[1],
                       batteryBytes[2]};
      payload.resize(kBatteryPayload, 0);
      display.sendPacket(kBatteryInfo, payload);
      return true;
    }
    case kBatteryTestMode:
      batteryTestMode = true;
      acknowledge(display, true);
      return true;
    case kSetClock:
      if (packet.payload.size() != kClockBytes) {
        acknowledge(display, false);
        return true;
      }
      // The year comes low byte first.
      clock = {static_cast<uint16_t>(packet.payload[0] | packet.payload[1] << 8),
               packet.payload[2],
               packet.payload[3],
               packet.payload[4],
               packet.payload[5],
               packet.payload[6]};
      acknowledge(display, true);
      return true;
    case kGetClock:
      // ...and goes back high byte first.
      display.sendPacket(kGetClock, {static_cast<uint8_t>(clock.year >> 8),
                                     static_cast<uint8_t>(clock.year & 0xFF), clock.month,
                                     clock.day, clock.hour, clock.minute, clock.second});
      return true;
    case kSetPin: {
      uint8_t sum = 0;
      for (uint8_t byte : packet.payload) sum = static_cast<uint8_t>(sum + byte);
      if (packet.payload.empty() || sum != 0) {
        ++badChecksums;
        acknowledge(display, false);
        return true;
      }
      pin.assign(packet.payload.begin() + 1, packet.payload.end());
      acknowledge(display, true);
      return true;
    }
    case kGetPin:
      display.sendPacket(kGetPin, Bytes(pin.begin(), pin.end()));
      return true;
    default:
      return false;
  }
}

}  // namespace QrEmu
