#pragma once

#include <cstdint>

namespace QrCom {

// The 8-dot cell (bit 0 = dot 1 ... bit 7 = dot 8) that shows the character `code` (code page
// 1252) on a display: North American computer Braille for ASCII, extended with dot 8 to the
// control characters and to the upper half, so that every character but NUL has a cell of its
// own. NUL shows as a blank cell.
uint8_t computerBrailleCell(uint8_t code);

}  // namespace QrCom
