#pragma once

#include <cstdint>

namespace QrEmu {

// The output rate of the tty behind `descriptor` in baud, also when the host set a rate that
// has no B constant (hosts like Wine set any rate through termios2); 0 when unknown.
uint32_t ttySpeed(int descriptor);

}  // namespace QrEmu
