#pragma once

#include "emulator/Module.h"

namespace QrEmu {

// The line-rate request of the file-transfer firmware: the packet 79 id 02 0D code 16 (code
// 0x19, 0x57 or 0x11 for 19200, 57600 or 115200 baud) is acknowledged with 79 id 02 07 7E 16,
// after which the display listens at the new rate. On a pty the rate is whatever the host
// sets on the tty, so the acknowledgement is all there is to emulate.
class RateSwitch : public Module {
 public:
  bool onPacket(Display& display, const Packet& packet) override;
};

}  // namespace QrEmu
