#include "qrcom/protocol/BookmarkIndex.h"

#include <cstddef>

namespace QrCom {

namespace {
constexpr uint8_t kMark = 0x01;
constexpr uint8_t kOpen = 0x3C;
constexpr uint8_t kClose = 0x3E;
constexpr uint8_t kRecord = 0x0F;
constexpr uint8_t kEndOfIndex = 0x17;
// A record is added only while the index uses at most this many bytes of its 128000.
constexpr size_t kLastRecordStart = 127990;
}  // namespace

std::vector<uint8_t> buildBookmarkIndex(const std::vector<uint8_t>& document) {
  std::vector<uint8_t> index;
  for (size_t i = 0; i + 3 < document.size() && index.size() <= kLastRecordStart; ++i) {
    if (document[i] != kMark || document[i + 1] != kOpen || document[i + 3] != kClose) continue;
    const auto position = static_cast<uint32_t>(i + 4);
    index.insert(index.end(),
                 {kRecord, document[i + 2], static_cast<uint8_t>(position),
                  static_cast<uint8_t>(position >> 8), static_cast<uint8_t>(position >> 16),
                  static_cast<uint8_t>(position >> 24), 0xFF, 0xFF});
    i += 3;
  }
  index.push_back(kEndOfIndex);
  return index;
}

}  // namespace QrCom
