#pragma once

#include <cstdint>

#include "emulator/modules/MonitorStream.h"

namespace QrEmu {

// Monitor mode of the pocket reader: started by its command 0x05 0x07 (PocketReaderCommands),
// it streams an ACK and then each line of the script ended by 0x0D (keys are not reported).
// Nothing switches it off but the next exchange the host starts.
class PocketReaderMonitor : public MonitorStream {
 public:
  bool onByte(Display& display, uint8_t byte) override;
  void start(Display& display);
};

}  // namespace QrEmu
