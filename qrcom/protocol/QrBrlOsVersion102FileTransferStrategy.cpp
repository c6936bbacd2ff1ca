#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"

#include "qrcom/protocol/LegacyFraming.h"

namespace QrCom {

namespace {
// Room for the folders of a typical device before the first block arrives.
constexpr size_t kFolderListReserve = 20480;
}  // namespace

uint32_t QrBrlOsVersion102FileTransferStrategy::sendFolderList(SerialPort& port,
                                                               std::vector<DirectoryEntry>& list) {
  return receiveList(port, Legacy::kGetFolderList,
                     L"QrBrlOsFileTransferStrategy::sendFolderList -- ", kFolderListReserve, list);
}

bool QrBrlOsVersion102FileTransferStrategy::supportsService(int serviceId) const {
  return QrBrlOsFileTransferStrategy::supportsService(serviceId) || serviceId == 33;
}

std::unique_ptr<FileTransferStrategy> QrBrlOsVersion102FileTransferStrategy::clone() const {
  return std::make_unique<QrBrlOsVersion102FileTransferStrategy>(modelId());
}

}  // namespace QrCom
