#pragma once

#include <cstdint>

#include "emulator/Module.h"

namespace QrEmu {

// The firmware version of current displays: packet 0xC2 is answered with major, minor and the
// running firmware (0 the IAP loader, 1 the normal firmware).
class FirmwareVersion : public Module {
 public:
  FirmwareVersion(uint8_t major, uint8_t minor) : major_(major), minor_(minor) {}

  bool onPacket(Display& display, const Packet& packet) override;

  void setVersion(uint8_t major, uint8_t minor) {
    major_ = major;
    minor_ = minor;
  }

 private:
  uint8_t major_;
  uint8_t minor_;
};

// Whether a Fundo runs the Bluetooth variant: packet 0xC1 is answered with 16 bytes whose byte
// 11 carries the variant in its low bits.
class BluetoothVariant : public Module {
 public:
  explicit BluetoothVariant(bool bluetooth) : bluetooth_(bluetooth) {}

  bool onPacket(Display& display, const Packet& packet) override;

  void setBluetooth(bool bluetooth) { bluetooth_ = bluetooth; }

 private:
  bool bluetooth_;
};

}  // namespace QrEmu
