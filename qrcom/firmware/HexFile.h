#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace QrCom {

// Largest firmware file accepted: twenty times the text of a full 64 KiB bank.
constexpr uint32_t kMaxHexFileBytes = 4u << 20;

// One Intel HEX record of a firmware text: the bytes [begin, end) from its colon up to its
// line end, and `next`, where the following record begins (the text's size after the last).
struct HexRecord {
  size_t begin;
  size_t end;
  size_t next;
};

// Cuts `text` into records at each colon. Returns the position of the first record that is not
// a well-formed record (colon, hex digit pairs, matching length, zero checksum), or of the first
// text before any colon; std::string_view::npos when every record is sound. What stands between
// records (line ends, blanks, tabs, the end-of-file byte 0x1A) and a byte-order mark before the
// first are not part of a record. A text without records is refused at position 0.
size_t cutHexRecords(std::string_view text, std::vector<HexRecord>& records);

// A firmware file read whole and cut into sound records.
struct HexFile {
  std::wstring path;
  std::string data;
  std::vector<HexRecord> records;
};

// The whole text of the firmware file `path`. Failures of the file pass on unchanged; a file
// over kMaxHexFileBytes throws ErrorWhileLoadingHexFileException with `prefix` and a text that
// names the file.
std::string readFirmwareText(const std::wstring& path, const wchar_t* prefix);

// Reads `path` (at most kMaxHexFileBytes) and cuts it. Failures of the file pass on unchanged;
// a file that is too large or not an Intel HEX text throws ErrorWhileLoadingHexFileException
// with `prefix` and a text that names the file.
HexFile readHexFile(const std::wstring& path, const wchar_t* prefix);

}  // namespace QrCom
