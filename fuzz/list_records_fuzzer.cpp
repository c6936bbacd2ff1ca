// The file-list records of both generations as the device sends them, and the collection of
// the list blocks from the port.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/support/FuzzPort.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DeviceReports.h"
#include "qrcom/protocol/DirectoryEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const uint8_t mode = choose.byte();
  const std::vector<uint8_t> records(data, data + size);
  std::vector<QrCom::DirectoryEntry> list;
  try {
    switch ((mode & 0x3F) % 4) {
      case 0:
        QrCom::appendLegacyEntries(records, L"legacy -- ", list);
        break;
      case 1:
        QrCom::appendCurrentEntries(records, L"current -- ", L"/docs", list);
        break;
      case 2: {
        QrFuzz::FuzzPort port(*clock, data, size, mode & QrFuzz::FuzzPort::kEndless);
        const auto collected = QrCom::receiveListData(port, 0x20, L"list -- ", 0x1000);
        if (collected.size() > QrCom::kMaxListData) std::abort();
        QrCom::appendCurrentEntries(collected, L"current -- ", L"", list);
        break;
      }
      default: {
        QrFuzz::FuzzPort port(*clock, data, size, mode & QrFuzz::FuzzPort::kEndless);
        uint64_t total = 0;
        uint64_t free = 0;
        QrCom::receiveDiskSpace(port, L"space -- ", mode & 0x80 ? 8 : 4, total, free);
        break;
      }
    }
  } catch (const QrCom::QrException&) {
    if (!list.empty()) std::abort();  // a list is taken whole or not at all
  }
  for (const QrCom::DirectoryEntry& entry : list) {
    if (entry.name().size() > entry.path().size()) std::abort();
  }
  return 0;
}
