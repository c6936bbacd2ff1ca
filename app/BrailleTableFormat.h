#pragma once

#include <string_view>

#include "app/BrailleTable.h"

namespace QrApp {

// The two text formats of Braille table files, read from the file's bytes (8-bit characters).
// Lines end at line feeds; empty lines do not count; a carriage return stays in its line.
BrailleTable::Dots parseAscTable(std::string_view content);
BrailleTable::Dots parseJbtTable(std::string_view content);

}  // namespace QrApp
