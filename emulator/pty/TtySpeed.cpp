// termios2 lives in the kernel's headers, which clash with <termios.h>: this file uses only
// the former.
#include "emulator/pty/TtySpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int descriptor, unsigned long request, ...);

namespace QrEmu {

uint32_t ttySpeed(int descriptor) {
  termios2 settings{};
  if (ioctl(descriptor, TCGETS2, &settings) != 0) return 0;
  return settings.c_ospeed;
}

}  // namespace QrEmu
