#include "qrcom/protocol/DeviceReports.h"

#include <algorithm>

#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/LegacyFraming.h"

namespace QrCom {

namespace {

constexpr uint32_t kListPiece = 514;  // the largest block the current firmware sends

uint64_t bigEndian(const uint8_t* bytes, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

[[noreturn]] void malformed(std::wstring_view prefix, const wchar_t* problem) {
  throw ErrorInProtocolException(compose(prefix, L"Error while parsing fileListBuffer. ", problem));
}

// One record; the byte after the name holds the flags (current) or nothing of use (legacy).
struct Record {
  std::string name;
  uint8_t flags;
  EntryTime time;
  uint64_t size;
};

// Parses every record; `sizeBytes` is 4 (legacy) or 8 (current).
std::vector<Record> parseRecords(const std::vector<uint8_t>& data, std::wstring_view prefix,
                                 size_t nameLimit, size_t sizeBytes) {
  std::vector<Record> records;
  const size_t fixed = 10 + sizeBytes;  // everything but the name
  size_t at = 0;
  while (at < data.size()) {
    if (data[at] != Legacy::kBeginOfFile) malformed(prefix, L"Missing BEGIN_OF_FILE.");
    if (at + 1 >= data.size()) malformed(prefix, L"Record runs past the end.");
    const size_t length = data[at + 1];
    if (length > nameLimit) malformed(prefix, L"Name too long.");
    if (data.size() - at < fixed + length) malformed(prefix, L"Record runs past the end.");
    const uint8_t* name = &data[at + 2];
    const uint8_t* after = name + length;
    Record record;
    record.name.assign(name, after);
    record.flags = after[0];
    record.time.year = static_cast<int32_t>(bigEndian(after + 1, 2));
    record.time.month = after[3];
    record.time.day = after[4];
    record.time.hour = after[5];
    record.time.minute = after[6];
    record.time.second = after[7];
    record.size = bigEndian(after + 8, sizeBytes);
    records.push_back(std::move(record));
    at += fixed + length;
  }
  return records;
}

}  // namespace

std::vector<uint8_t> receiveListData(SerialPort& port, uint8_t command, std::wstring_view prefix,
                                     size_t reserve) {
  std::vector<uint8_t> data;
  data.reserve(reserve);
  sendCommand(port, command, prefix);
  for (uint8_t next = port.readByte(); next != Legacy::kEndOfFile; next = port.readByte()) {
    if (next != Legacy::kReceiveDataBlock) {
      throw ErrorInProtocolException(compose(prefix, L"Missing RECEIVE_DATA_BLOCK."));
    }
    acknowledge(port, Legacy::kReceiveDataBlock);
    const uint8_t low = port.readByte();
    const uint32_t length = low | static_cast<uint32_t>(port.readByte()) << 8;
    if (data.size() + length > kMaxListData) {
      throw ErrorInProtocolException(compose(prefix, L"List exceeds 1048576 bytes."));
    }
    // In pieces of an ordinary block, so that a display that announces more than it sends is
    // given up after the time-out of one such block, not of the whole announcement.
    for (uint32_t left = length; left > 0;) {
      const uint32_t piece = std::min(left, kListPiece);
      const size_t start = data.size();
      data.resize(start + piece);
      if (port.readBuffer(data.data() + start, piece) < piece) {
        throw ErrorInProtocolException(
            compose(prefix, L"Wrong number of data bytes(page frame error)."));
      }
      left -= piece;
    }
    if (port.readByte() != Legacy::kSync) {
      throw ErrorInProtocolException(compose(prefix, L"Missing SYNC."));
    }
    acknowledge(port, Legacy::kSync);
  }
  return data;
}

void appendLegacyEntries(const std::vector<uint8_t>& data, std::wstring_view prefix,
                         std::vector<DirectoryEntry>& list) {
  std::vector<Record> records = parseRecords(data, prefix, 64, 4);
  list.reserve(list.size() + records.size());
  for (const Record& record : records) {
    list.emplace_back(fromAnsi(record.name), 0, record.time, record.size);
  }
}

void appendCurrentEntries(const std::vector<uint8_t>& data, std::wstring_view prefix,
                          const std::wstring& directory, std::vector<DirectoryEntry>& list) {
  std::vector<Record> records = parseRecords(data, prefix, 260, 8);
  const bool separated = !directory.empty() && directory.back() == L'/';
  list.reserve(list.size() + records.size());
  for (const Record& record : records) {
    const std::wstring path = directory + (separated ? L"" : L"/") + fromAnsi(record.name);
    list.emplace_back(path, record.flags, record.time, record.size);
  }
}

void receiveDiskSpace(SerialPort& port, std::wstring_view prefix, size_t figureBytes,
                      uint64_t& total, uint64_t& free) {
  port.purge();
  sendCommand(port, Legacy::kGetDiskSpace, prefix);
  uint8_t figures[16];
  const auto count = static_cast<uint32_t>(2 * figureBytes);
  if (port.readBuffer(figures, count) < count) {
    throw ErrorInProtocolException(
        compose(prefix, L"Wrong number of data bytes(page frame error)."));
  }
  if (port.readByte() != Legacy::kSync) {
    throw ErrorInProtocolException(compose(prefix, L"Missing SYNC in transaction GET_DISK_SPACE."));
  }
  total = bigEndian(figures, figureBytes);
  free = bigEndian(figures + figureBytes, figureBytes);
  acknowledge(port, Legacy::kSync);
}

}  // namespace QrCom
