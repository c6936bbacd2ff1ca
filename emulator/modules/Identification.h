#pragma once

#include "emulator/Module.h"

namespace QrEmu {

// The identification exchange of every display: 0xFF is answered with 0xFE and the model id
// while the display runs its firmware or its IAP loader (so that a display left in its loader
// is found again and can be updated).
class Identification : public Module {
 public:
  bool onByte(Display& display, uint8_t byte) override;
};

}  // namespace QrEmu
