#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/Display.h"

namespace QrEmu {

struct DisplaySettings {
  uint8_t modelId = 84;
  uint16_t protocolVersion = 0x0103;
  std::string link;
  std::string replay;  // a port trace the display answers as; its other settings are unused
  Faults faults;
  DisplayIdentity identity;
};

struct ToolOptions {
  bool help = false;
  bool log = false;
  bool lineRate = false;
  bool contents = false;                  // what each display holds, printed when the tool ends
  bool resetParity = false;               // see LinkOptions
  std::string control;                    // the control FIFO; empty for none
  std::vector<DisplaySettings> displays;  // one with the defaults when none is given
};

// One line written to the control FIFO: "N SETTINGS" gives display N (from 1) exactly the
// faults named in SETTINGS (the fault settings of --display, and "unplug").
struct ControlCommand {
  size_t display = 0;
  Faults faults;
  bool powerCut = false;  // "N power-cut": at the host's next write; the faults stay
};

// Both throw std::invalid_argument with a message for the user.
ToolOptions parseToolOptions(const std::vector<std::string>& arguments);
ControlCommand parseControlLine(const std::string& line);

extern const char kToolUsage[];

}  // namespace QrEmu
