#pragma once

#include "qrcom/protocol/BrailleSystemVersion2000FileTransferStrategy.h"

namespace QrCom {

// Adds deleting and renaming device files.
class BrailleSystemVersion2005FileTransferStrategy
    : public BrailleSystemVersion2000FileTransferStrategy {
 public:
  uint32_t sendFolderList(SerialPort& port, std::vector<DirectoryEntry>& list) override;
  void deleteFile(SerialPort& port, const std::wstring& name) override;
  void renameFile(SerialPort& port, const std::wstring& from, const std::wstring& to) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<FileTransferStrategy> clone() const override;
};

}  // namespace QrCom
