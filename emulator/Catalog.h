#pragma once

#include <cstdint>
#include <memory>

#include "emulator/Display.h"

namespace QrEmu {

// A display with the protocol modules its model and protocol version have.
std::unique_ptr<Display> makeDisplay(uint8_t modelId, uint16_t protocolVersion);

}  // namespace QrEmu
