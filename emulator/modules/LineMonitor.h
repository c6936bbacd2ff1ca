#pragma once

#include <cstdint>

#include "emulator/modules/MonitorStream.h"

namespace QrEmu {

// How a legacy display streams its lines.
enum class LineDialect {
  // Synchronised by 02 x 0D; each line is 02, the cursor plus 40, the text and 0D.
  Text,
  // Synchronised by FE 37 (the host answers 34); each line is the text and FE 47 cursor 00.
  Escape,
};

// Monitor mode of the legacy line: switched by 0x0B and 1 or 0; the stream begins once the
// host has sent its answer frame (79 id 01 07 16).
class LineMonitor : public MonitorStream {
 public:
  explicit LineMonitor(LineDialect dialect = LineDialect::Text) : dialect(dialect) {}

  bool onByte(Display& display, uint8_t byte) override;
  bool onPacket(Display& display, const Packet& packet) override;

  LineDialect dialect;
  // How often the host answered the escape dialect's FE 37.
  uint32_t helloAnswers = 0;

 private:
  bool armed_ = false;
};

}  // namespace QrEmu
