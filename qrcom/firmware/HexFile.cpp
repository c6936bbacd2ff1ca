#include "qrcom/firmware/HexFile.h"

#include <algorithm>

#include "qrcom/base/NativeFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/HexRecords.h"

namespace QrCom {

namespace {

int hexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

// ':' LL AAAA TT data CC with LL data bytes and a checksum that makes the bytes sum to 0.
bool isSoundRecord(std::string_view record) {
  constexpr size_t kFrameDigits = 10;  // length, address, type, checksum
  if (record.size() < 1 + kFrameDigits || record[0] != ':' || (record.size() - 1) % 2 != 0) {
    return false;
  }
  unsigned sum = 0;
  for (size_t i = 1; i < record.size(); i += 2) {
    const int high = hexValue(record[i]);
    const int low = hexValue(record[i + 1]);
    if (high < 0 || low < 0) return false;
    const unsigned value = static_cast<unsigned>(high * 16 + low);
    if (i == 1 && record.size() != 1 + kFrameDigits + 2 * value) return false;
    sum += value;
  }
  return sum % 256 == 0;
}

}  // namespace

size_t cutHexRecords(std::string_view text, std::vector<HexRecord>& records) {
  records.clear();
  // What stands around the records of a file from any editor: a byte-order mark before the
  // first, line ends, blanks and tabs, and the end-of-file byte 0x1A of older ones.
  constexpr std::string_view kBetweenRecords = " \t\r\n\x1A";
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const size_t markLength = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? 3 : 0;
  const size_t first = text.find_first_not_of(kBetweenRecords, markLength);
  if (first == std::string_view::npos) return 0;
  if (text[first] != ':') return first;
  const std::string_view body = text.substr(first);
  size_t bad = std::string_view::npos;
  forEachHexRecord(body, [&](std::string_view record, size_t next) {
    const auto begin = first + static_cast<size_t>(record.data() - body.data());
    record = record.substr(0, record.find_last_not_of(kBetweenRecords) + 1);
    if (!isSoundRecord(record)) {
      bad = begin;
      return false;
    }
    records.push_back({begin, begin + record.size(), first + next});
    return true;
  });
  if (bad != std::string_view::npos) records.clear();
  return bad;
}

std::string readFirmwareText(const std::wstring& path, const wchar_t* prefix) {
  std::string text;
  NativeFile source(path, kFileRead);
  uint8_t chunk[64 * 1024];
  for (;;) {
    const size_t room = static_cast<size_t>(kMaxHexFileBytes) + 1 - text.size();
    const int32_t read =
        source.readBuffer(chunk, static_cast<int32_t>(std::min(sizeof chunk, room)));
    if (read <= 0) break;
    text.append(reinterpret_cast<const char*>(chunk), static_cast<size_t>(read));
    if (text.size() > kMaxHexFileBytes) {
      throw ErrorWhileLoadingHexFileException(
          compose(prefix, L"Firmware file ", path, L" is too large."));
    }
  }
  return text;
}

HexFile readHexFile(const std::wstring& path, const wchar_t* prefix) {
  HexFile file{path, readFirmwareText(path, prefix), {}};
  const size_t bad = cutHexRecords(file.data, file.records);
  if (bad != std::string_view::npos) {
    throw ErrorWhileLoadingHexFileException(compose(prefix, L"Firmware file ", path,
                                                    L" holds no valid Intel HEX record at byte ",
                                                    std::to_wstring(bad), L"."));
  }
  return file;
}

}  // namespace QrCom
