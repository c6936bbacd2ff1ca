#include "qrcom/firmware/HexRecords.h"

namespace QrCom {

bool forEachHexRecord(std::string_view text,
                      const std::function<bool(std::string_view record, size_t scanned)>& record) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t next = text.find(':', begin + 1);
    if (next == std::string_view::npos) next = text.size();
    size_t end = next;
    while (end > begin && (text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
    if (end > begin && !record(text.substr(begin, end - begin), next)) return false;
    begin = next;
  }
  return true;
}

}  // namespace QrCom
