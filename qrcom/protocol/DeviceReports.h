#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qrcom/port/SerialPort.h"
#include "qrcom/protocol/DirectoryEntry.h"

namespace QrCom {

// The most list data a device may send (about 13000 legacy or 3800 current records).
constexpr size_t kMaxListData = 1 << 20;

// Sends the list command and collects the blocks the device answers with up to END_OF_FILE.
// Blocks may be of any length the device packs them in; data over kMaxListData fail with
// ErrorInProtocolException.
std::vector<uint8_t> receiveListData(SerialPort& port, uint8_t command, std::wstring_view prefix,
                                     size_t reserve = 0);

// Legacy records: BEGIN_OF_FILE, name length (at most 64), name, one byte, year (big-endian),
// month, day, hour, minute, second, size (4 bytes, big-endian). Each becomes an entry with flags
// 0 and the name as its path. Nothing is appended unless the whole data parses.
void appendLegacyEntries(const std::vector<uint8_t>& data, std::wstring_view prefix,
                         std::vector<DirectoryEntry>& list);

// Current records: as the legacy ones with the flags in the byte after the name and an 8-byte
// size. Paths are `directory`, a slash unless it ends in one, and the name.
void appendCurrentEntries(const std::vector<uint8_t>& data, std::wstring_view prefix,
                          const std::wstring& directory, std::vector<DirectoryEntry>& list);

// GET_DISK_SPACE: total, then free, each `figureBytes` big-endian bytes, then SYNC.
void receiveDiskSpace(SerialPort& port, std::wstring_view prefix, size_t figureBytes,
                      uint64_t& total, uint64_t& free);

}  // namespace QrCom
