#pragma once

#include <string>

#include "emulator/Display.h"

namespace QrEmu {

// What a display holds, for a person to read: the records in each flash bank its boot loader
// programmed, the files in its store and the Braille tables in its slots. One item a line,
// each line indented by two blanks; "nothing" when it holds none of these.
std::string describeContents(const Display& display);

}  // namespace QrEmu
