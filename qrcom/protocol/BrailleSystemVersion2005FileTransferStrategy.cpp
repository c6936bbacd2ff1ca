#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"

#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/LegacyFraming.h"

namespace QrCom {

namespace {

constexpr wchar_t kDeletePrefix[] = L"BrailleSystemVersion2005FileTransferStrategy::deleteFile -- ";
constexpr wchar_t kRenamePrefix[] = L"BrailleSystemVersion2005FileTransferStrategy::renameFile -- ";

}  // namespace

uint32_t BrailleSystemVersion2005FileTransferStrategy::sendFolderList(
    SerialPort&, std::vector<DirectoryEntry>&) {
  notSupported(L"BrailleSystemVersion2005FileTransferStrategy::sendFolderList -- ");
}

void BrailleSystemVersion2005FileTransferStrategy::deleteFile(SerialPort& port,
                                                              const std::wstring& name) {
  sendNameCommand(port, Legacy::kDeleteFile,
                  nameFrame(Legacy::kDeleteFile, toAnsi(name), kDeletePrefix), kDeletePrefix);
}

void BrailleSystemVersion2005FileTransferStrategy::renameFile(SerialPort& port,
                                                              const std::wstring& from,
                                                              const std::wstring& to) {
  const std::vector<uint8_t> oldName = nameFrame(Legacy::kRenameFile, toAnsi(from), kRenamePrefix);
  const std::vector<uint8_t> newName = nameFrame(Legacy::kRenameFile, toAnsi(to), kRenamePrefix);
  sendNameCommand(port, Legacy::kRenameFile, oldName, kRenamePrefix);
  sendNameCommand(port, Legacy::kRenameFile, newName, kRenamePrefix);
}

bool BrailleSystemVersion2005FileTransferStrategy::supportsService(int serviceId) const {
  return (serviceId >= 4 && serviceId <= 10) || serviceId == 15;
}

std::unique_ptr<FileTransferStrategy> BrailleSystemVersion2005FileTransferStrategy::clone() const {
  return std::make_unique<BrailleSystemVersion2005FileTransferStrategy>();
}

}  // namespace QrCom
