#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Display.h"

namespace QrEmu {

struct DisplaySettings {
  uint8_t modelId = 84;
  uint16_t protocolVersion = 0x0103;
  std::string link;
  Faults faults;
};

struct ToolOptions {
  bool help = false;
  bool log = false;
  bool lineRate = false;
  std::vector<DisplaySettings> displays;  // one with the defaults when none is given
};

// The command line of quorlin-emulator (without the program name); throws
// std::invalid_argument with a message for the user.
ToolOptions parseToolOptions(const std::vector<std::string>& arguments);

extern const char kToolUsage[];

}  // namespace QrEmu
