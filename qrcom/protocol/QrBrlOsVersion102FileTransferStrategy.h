#pragma once

#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"

namespace QrCom {

// Adds the folder list.
class QrBrlOsVersion102FileTransferStrategy : public QrBrlOsFileTransferStrategy {
 public:
  using QrBrlOsFileTransferStrategy::QrBrlOsFileTransferStrategy;

  uint32_t sendFolderList(SerialPort& port, std::vector<DirectoryEntry>& list) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<FileTransferStrategy> clone() const override;
};

}  // namespace QrCom
