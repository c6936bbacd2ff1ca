#include "emulator/modules/Identification.h"

#include "emulator/Display.h"

namespace QrEmu {

bool Identification::onByte(Display& display, uint8_t byte) {
  if (byte != 0xFF || (display.mode() != Mode::Normal && display.mode() != Mode::Iap)) {
    return false;
  }
  display.send({0xFE, display.modelId()});
  return true;
}

}  // namespace QrEmu
