#pragma once

#include <string>

#include "emulator/Module.h"

namespace QrEmu {

// The serial number over extended packets (current displays and the Fundo line): type 0x41
// answers it (the IAP loader too), type 0x40 (checksum and text) stores a new one and is
// acknowledged.
class PacketSerialNumber : public Module {
 public:
  explicit PacketSerialNumber(std::string serialNumber) : serialNumber_(std::move(serialNumber)) {}

  bool onPacket(Display& display, const Packet& packet) override;

  // Read and set under the display's lock while a transport runs.
  const std::string& serialNumber() const { return serialNumber_; }
  void setSerialNumber(std::string serialNumber) { serialNumber_ = std::move(serialNumber); }

 private:
  std::string serialNumber_;
};

}  // namespace QrEmu
