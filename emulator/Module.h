#pragma once

#include <cstdint>

#include "emulator/Expectation.h"

namespace QrEmu {

class Display;

// One device-side protocol of a display (identification, a file transfer, a boot loader...).
// The display offers each new exchange to its modules in the order they were added; a module
// claims what it understands in the display's current mode and drives the rest of the
// dialogue with the display's expectations. Fault knobs of its own are members that tests set
// under the display's lock.
class Module {
 public:
  virtual ~Module() = default;
  // The first byte of a new exchange; true claims it.
  virtual bool onByte(Display& display, uint8_t byte);
  // A well-formed extended packet whose start byte no module claimed; true claims it.
  virtual bool onPacket(Display& display, const Packet& packet);
  // The dialogue in progress was abandoned (Display::endDialogue, unplug).
  virtual void onReset(Display& display);
};

}  // namespace QrEmu
