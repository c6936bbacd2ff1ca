#pragma once

#include <cstdint>

#include "emulator/Bytes.h"
#include "emulator/Module.h"

namespace QrEmu {

// The Braille processor and the USB controller of a current display, which reprogram
// themselves from a file in the display's file system. Packet 0x5A (mode 1 the Braille
// processor, 2 the USB controller, then the file's name) is acknowledged; then the display sends
// progress frames 0x5B (00, percentage) one step apart and the finish frame 0x5C (00, code):
// 0 done, 1 the file is empty, 2 no such file. Results under the display's lock.
class SecondaryProcessors : public Module {
 public:
  static constexpr uint32_t kStepMs = 1000;

  bool onPacket(Display& display, const Packet& packet) override;

  // What each processor runs now: the file it last loaded.
  const Bytes& brailleProcessor() const { return brailleProcessor_; }
  const Bytes& usbController() const { return usbController_; }

 private:
  Bytes brailleProcessor_;
  Bytes usbController_;
};

}  // namespace QrEmu
