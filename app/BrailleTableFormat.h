#pragma once

#include <string_view>

#include <cstdint>

namespace QrApp {

// The two text formats of Braille table files, read from the file's bytes (8-bit characters).
// Lines end at line feeds; empty lines do not count; a carriage return stays in its line.
// Each sets the patterns of the codes the content mentions.
void parseAscTable(std::string_view content, uint8_t (&dots)[256]);
void parseJbtTable(std::string_view content, uint8_t (&dots)[256]);

}  // namespace QrApp
