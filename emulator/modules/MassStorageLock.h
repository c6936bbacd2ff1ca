#pragma once

#include <cstdint>

#include "emulator/Module.h"

namespace QrEmu {

// The mass-storage protocol of the current firmware (protocol version 1.03): its state
// (command 0x70) and the PC's lock (0x71) and release (0x72). Knobs are set under the
// display's lock.
class MassStorageLock : public Module {
 public:
  bool onByte(Display& display, uint8_t byte) override;

  // The state byte reported; 0 tells the PC the protocol is active.
  uint8_t state = 0;
  bool locked = false;
  uint32_t acknowledgements = 0;
};

}  // namespace QrEmu
