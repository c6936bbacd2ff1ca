#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The Braille-table upload shared by the legacy and the current firmware: the table travels
// like a 256-byte file whose attribute byte names the slot.
namespace BrailleTableUpload {

extern const wchar_t kPrefix[];
constexpr size_t kTableSize = 256;
// Characters of the table name that go into the header.
constexpr size_t kMaxNameCharacters = 260;

// The attribute byte for `slot` (1 to 9): 0x80 | slot, or 0xC0 | slot for a table searched
// backwards. Fails before anything is sent when the slot is out of range or the device's
// firmware cannot search backwards.
uint8_t attribute(int slot, bool searchBackwards, bool backwardsSupported);

// Header frame with `headerBody`, the table in blocks of 78, 78, 78 and 22 bytes, END_OF_FILE,
// and the closing 0xFF that the device does not answer.
void send(SerialPort& port, const uint8_t (&table)[kTableSize],
          const std::vector<uint8_t>& headerBody);

}  // namespace BrailleTableUpload

}  // namespace QrCom
