#include "emulator/modules/VersionQueries.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kVersionRequest = 0xC2;
constexpr uint8_t kIapLoader = 0;
constexpr uint8_t kNormalFirmware = 1;
constexpr uint8_t kVariantRequest = 0xC1;
// Payload byte 7 is byte 11 of the whole answer; eleven payload bytes make it 16 bytes long.
constexpr size_t kVariantPayload = 11;
constexpr size_t kVariantByte = 7;
constexpr uint8_t kBluetooth = 0x02;
constexpr uint8_t kCable = 0x04;
}  // namespace

bool FirmwareVersion::onPacket(Display& display, const Packet& packet) {
  if (packet.type != kVersionRequest) return false;
  const uint8_t running = display.mode() == Mode::Iap ? kIapLoader : kNormalFirmware;
  display.sendPacket(kVersionRequest, {major_, minor_, running});
  return true;
}

bool BluetoothVariant::onPacket(Display& display, const Packet& packet) {
  if (packet.type != kVariantRequest || display.mode() != Mode::Normal) return false;
  Bytes payload(kVariantPayload, 0x00);
  payload[kVariantByte] = bluetooth_ ? kBluetooth : kCable;
  display.sendPacket(kVariantRequest, payload);
  return true;
}

}  // namespace QrEmu
