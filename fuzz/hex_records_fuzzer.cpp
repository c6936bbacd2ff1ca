// Firmware text cut into Intel HEX records: the EPROM path's checked records and the IAP path's
// colon-to-colon walk, whose records must stay within the text and in order.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/HexRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  std::vector<QrCom::HexRecord> records;
  const size_t bad = QrCom::cutHexRecords(text, records);
  if (bad != std::string_view::npos && (bad >= size + 1 || !records.empty())) std::abort();
  size_t previous = 0;
  for (const QrCom::HexRecord& record : records) {
    if (record.begin < previous || record.begin >= record.end || record.end > record.next ||
        record.next > size || text[record.begin] != ':') {
      std::abort();
    }
    previous = record.next;
  }

  size_t scanned = 0;
  QrCom::forEachHexRecord(text, [&](std::string_view record, size_t at) {
    const auto begin = static_cast<size_t>(record.data() - text.data());
    if (record.empty() || begin < scanned || begin + record.size() > at || at > size) std::abort();
    scanned = at;
    return true;
  });
  return 0;
}
