#pragma once

#include <cstdint>

#include "emulator/modules/MonitorStream.h"

namespace QrEmu {

// Monitor mode of the current firmware: the host's packet of type 0x07, then the switch
// 0x0B 1 (on) or 0 (off), each answered with 79 id 01 07 16; display reports (type 0x1B: the
// report position, six bytes, the cell count, the cells) and key reports (type 0x55). Also
// the Glint switch (type 0x50, always addressed to model 0x54).
class CellMonitor : public MonitorStream {
 public:
  bool onByte(Display& display, uint8_t byte) override;
  bool onPacket(Display& display, const Packet& packet) override;

  bool glint = false;
  uint32_t glintSwitches = 0;
};

}  // namespace QrEmu
