#pragma once

#include <cstdint>
#include <vector>

namespace QrCom {

// The pocket reader's index of the bookmarks in a document. A bookmark is the pattern
// 0x01 '<' c '>'; each one found adds the record 0x0F, c, the offset just after '>' (32-bit
// little-endian), 0xFF, 0xFF. The index ends with 0x17 and, with its records, never exceeds
// 127999 bytes (later bookmarks are left out).
std::vector<uint8_t> buildBookmarkIndex(const std::vector<uint8_t>& document);

}  // namespace QrCom
