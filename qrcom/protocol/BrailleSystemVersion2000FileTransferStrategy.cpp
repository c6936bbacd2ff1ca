#include "qrcom/protocol/BrailleSystemVersion2000FileTransferStrategy.h"

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DeviceReports.h"
#include "qrcom/protocol/FileDownload.h"
#include "qrcom/protocol/FileUpload.h"
#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/TargetFileName.h"

namespace QrCom {

namespace {
constexpr wchar_t kClass[] = L"BrailleSystemVersion2000FileTransferStrategy::";
constexpr size_t kNameLimit = 64;
constexpr size_t kUploadBlock = 78;
constexpr uint32_t kDownloadBlock = 80;

std::wstring prefix(const wchar_t* operation) {
  return compose(std::wstring_view(kClass), std::wstring_view(operation), L" -- ");
}
}  // namespace

void BrailleSystemVersion2000FileTransferStrategy::receiveFile(
    SerialPort& port, QuorlinDevice* device, const std::wstring& source, const std::wstring& target,
    int32_t, uint8_t attribute, FileTransferSink* sink) {
  running_ = true;
  const std::string name = getTargetFileName(source, target);
  if (!running_) return;
  const std::wstring context = prefix(L"receiveFile");
  uploadFile(port, *this, device, source,
             {context, legacyHeaderBody(name, attribute), kUploadBlock, false}, running_, sink);
}

void BrailleSystemVersion2000FileTransferStrategy::sendFile(SerialPort& port, QuorlinDevice* device,
                                                            const std::wstring& source,
                                                            const std::wstring& target,
                                                            uint64_t expectedSize,
                                                            FileTransferSink* sink) {
  running_ = true;
  const std::wstring context = prefix(L"sendFile");
  downloadFile(port, device, source, target, expectedSize,
               {context, kNameLimit, kDownloadBlock, L"targetFileName ist empty."}, running_, sink);
}

std::string BrailleSystemVersion2000FileTransferStrategy::getTargetFileName(
    const std::wstring& source, const std::wstring& target) const {
  return prepareTargetName(source, target, prefix(L"getTargetFileName"), kNameLimit,
                           L"SourceFileName ist empty.");
}

uint32_t BrailleSystemVersion2000FileTransferStrategy::sendFileList(
    SerialPort& port, std::vector<DirectoryEntry>& list) {
  const std::wstring context = prefix(L"sendFileList");
  appendLegacyEntries(receiveListData(port, Legacy::kGetFileList, context), context, list);
  return static_cast<uint32_t>(list.size());
}

void BrailleSystemVersion2000FileTransferStrategy::sendDiskSpace(SerialPort& port, uint64_t& total,
                                                                 uint64_t& free) {
  receiveDiskSpace(port, prefix(L"sendDiskSpace"), 4, total, free);
}

// Making a directory has always carried the delete prefix.
void BrailleSystemVersion2000FileTransferStrategy::makeDirectory(SerialPort&, const std::wstring&) {
  notSupported(prefix(L"deleteFile"));
}

void BrailleSystemVersion2000FileTransferStrategy::changeDirectory(SerialPort&,
                                                                   const std::wstring&) {
  notSupported(prefix(L"changeDirectory"));
}

void BrailleSystemVersion2000FileTransferStrategy::makePath(SerialPort&, const std::wstring&) {
  notSupported(prefix(L"makePath"));
}

uint32_t BrailleSystemVersion2000FileTransferStrategy::sendFolderList(
    SerialPort&, std::vector<DirectoryEntry>&) {
  notSupported(prefix(L"sendFolderList"));
}

void BrailleSystemVersion2000FileTransferStrategy::deleteFile(SerialPort&, const std::wstring&) {
  notSupported(prefix(L"deleteFile"));
}

void BrailleSystemVersion2000FileTransferStrategy::renameFile(SerialPort&, const std::wstring&,
                                                              const std::wstring&) {
  notSupported(prefix(L"renameFile"));
}

// The mass-storage lock lives in the maintenance family; these slots keep the texts they have
// always had (the release slot carries the file-list text).
bool BrailleSystemVersion2000FileTransferStrategy::checkMassStorageProtocolActive(SerialPort&) {
  notSupported(L"NoMassStorageProtocolStrategy::checkMassStorageProtocolActive -- ");
}

void BrailleSystemVersion2000FileTransferStrategy::lockMassStorageProtocol(SerialPort&) {
  notSupported(L"NoMassStorageProtocolStrategy::lockMassStorageProtocol -- ");
}

void BrailleSystemVersion2000FileTransferStrategy::releaseMassStorageProtocol(SerialPort&) {
  notSupported(L"NoMassStorageProtocolStrategy::sendFileList -- ");
}

bool BrailleSystemVersion2000FileTransferStrategy::supportsService(int serviceId) const {
  return (serviceId >= 4 && serviceId <= 8) || serviceId == 15;
}

std::unique_ptr<FileTransferStrategy> BrailleSystemVersion2000FileTransferStrategy::clone() const {
  return std::make_unique<BrailleSystemVersion2000FileTransferStrategy>();
}

}  // namespace QrCom
