#pragma once

#include <string>

#include "emulator/Module.h"

namespace QrEmu {

// The INFO mode of the older displays as far as the serial number goes, for a display without
// the boot loader's upload: 0xAE is answered 0x4F, "INFO " with "INFOI", and the command 'N'
// with the 40-byte information block that starts with the serial number.
class InfoModeSerialNumber : public Module {
 public:
  explicit InfoModeSerialNumber(std::string serialNumber)
      : serialNumber_(std::move(serialNumber)) {}

  bool onByte(Display& display, uint8_t byte) override;

  const std::string& serialNumber() const { return serialNumber_; }

 private:
  std::string serialNumber_;
};

}  // namespace QrEmu
