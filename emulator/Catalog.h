#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "emulator/Bytes.h"
#include "emulator/Display.h"

namespace QrEmu {

// What a display tells about itself when asked.
struct DisplayIdentity {
  std::string serialNumber;  // empty: the model's sample serial number
  uint8_t firmwareMajor = 3;
  uint8_t firmwareMinor = 30;
  bool bluetooth = false;
  std::optional<Bytes> serviceRecord = sampleServiceRecord();  // none: the display has none

  static Bytes sampleServiceRecord();
};

// A serial number of the model's kind: three letters of the model, the year and a number
// ("VAN-22-00417"); eight characters for the pocket reader.
std::string sampleSerialNumber(uint8_t modelId);

// A display with the protocol modules its model and protocol version have.
std::unique_ptr<Display> makeDisplay(uint8_t modelId, uint16_t protocolVersion,
                                     const DisplayIdentity& identity = {});

}  // namespace QrEmu
