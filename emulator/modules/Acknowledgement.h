#pragma once

#include "emulator/Display.h"

namespace QrEmu {

// The answer to a command of the current firmware and its loader: 79 id 02 07 7E 16, or with
// 7F when the command is refused.
inline void acknowledge(Display& display, bool positive) {
  display.sendPacket(0x07, {static_cast<uint8_t>(positive ? 0x7E : 0x7F)});
}

}  // namespace QrEmu
