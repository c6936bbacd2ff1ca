#include "emulator/Module.h"

namespace QrEmu {

bool Module::onByte(Display&, uint8_t) {
  return false;
}

bool Module::onPacket(Display&, const Packet&) {
  return false;
}

void Module::onReset(Display&) {}

}  // namespace QrEmu
