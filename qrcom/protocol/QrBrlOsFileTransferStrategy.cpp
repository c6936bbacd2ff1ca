#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"

#include <algorithm>

#include "qrcom/base/Clock.h"
#include "qrcom/base/LocalFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DeviceReports.h"
#include "qrcom/protocol/FileDownload.h"
#include "qrcom/protocol/FileUpload.h"
#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/TargetFileName.h"

namespace QrCom {

namespace {
constexpr size_t kNameLimit = 260;
constexpr size_t kUploadBlock = 512;
constexpr uint32_t kDownloadBlock = 514;
}  // namespace

QrBrlOsFileTransferStrategy::QrBrlOsFileTransferStrategy(uint8_t modelId)
    : BrailleSystemVersion20010FileTransferStrategy(modelId) {
  running_ = true;
}

std::string QrBrlOsFileTransferStrategy::getTargetFileName(const std::wstring& source,
                                                           const std::wstring& target) const {
  return prepareTargetName(source, target, L"QrBrlOsV30FileTransferStrategy::getTargetFileName -- ",
                           kNameLimit, L"SourceFileName is empty.");
}

void QrBrlOsFileTransferStrategy::receiveFile(SerialPort& port, QuorlinDevice* device,
                                              const std::wstring& source,
                                              const std::wstring& target, int32_t number,
                                              uint8_t attribute, FileTransferSink* sink) {
  if (!running_) return;
  BrailleSystemVersion20010FileTransferStrategy::receiveFile(port, device, source, target, number,
                                                             attribute, sink);
}

void QrBrlOsFileTransferStrategy::sendFile(SerialPort& port, QuorlinDevice* device,
                                           const std::wstring& source, const std::wstring& target,
                                           uint64_t expectedSize, FileTransferSink* sink) {
  if (!running_) return;
  BrailleSystemVersion20010FileTransferStrategy::sendFile(port, device, source, target,
                                                          expectedSize, sink);
}

void QrBrlOsFileTransferStrategy::doReceiveFile(SerialPort& port, QuorlinDevice* device,
                                                const std::wstring& source,
                                                const std::wstring& target, int32_t,
                                                uint8_t attribute, FileTransferSink* sink) {
  const std::string name = getTargetFileName(source, target);
  if (!running_) return;
  CalendarTime stamp;
  if (!getFileTime(source.c_str(), &stamp)) stamp = clock().localTime();
  uploadFile(port, *this, device, source,
             {L"QrBrlOsFileTransferStrategy::doReceiveFile -- ",
              currentHeaderBody(name, stamp, attribute), kUploadBlock, true},
             running_, sink);
}

void QrBrlOsFileTransferStrategy::doSendFile(SerialPort& port, QuorlinDevice* device,
                                             const std::wstring& source, const std::wstring& target,
                                             uint64_t expectedSize, FileTransferSink* sink) {
  downloadFile(port, device, source, target, expectedSize,
               {L"QrBrlOsFileTransferStrategy::DoSendFile -- ", kNameLimit, kDownloadBlock,
                L"targetFileName is empty."},
               running_, sink);
}

void QrBrlOsFileTransferStrategy::makeDirectory(SerialPort& port, const std::wstring& name) {
  constexpr wchar_t kPrefix[] = L"QrBrlOsFileTransferStrategy::makeDirectory -- ";
  const std::string bytes = getTargetFileName(name, name);
  if (!running_) return;
  sendNameCommand(port, Legacy::kMakeDirectory, nameFrame(Legacy::kMakeDirectory, bytes, kPrefix),
                  kPrefix);
}

void QrBrlOsFileTransferStrategy::changeDirectory(SerialPort& port, const std::wstring& path) {
  constexpr wchar_t kPrefix[] = L"QrBrlOsFileTransferStrategy::ChangeDirectory -- ";
  try {
    const std::string bytes = getTargetFileName(path, path);
    if (!running_) return;
    // As the name went out: without leading blanks and tabs (a path of only those: empty).
    const size_t start = path.find_first_not_of(L"\t ");
    currentDirectory_ = start == std::wstring::npos ? std::wstring() : path.substr(start);
    sendNameCommand(port, Legacy::kChangeDirectory,
                    nameFrame(Legacy::kChangeDirectory, bytes, kPrefix), kPrefix);
  } catch (const CannotChangeToDirectoryException&) {
    currentDirectory_.clear();
    throw;
  } catch (const QrException&) {
    currentDirectory_.clear();
    throw CannotChangeToDirectoryException(L"");
  }
}

void QrBrlOsFileTransferStrategy::makePath(SerialPort& port, const std::wstring& path) {
  if (!running_ || path.empty()) return;
  if (path.size() > kNameLimit) {
    throw PathTooLongException(
        compose(std::wstring_view(L"QrBrlOsFileTransferStrategy::makePath -- "), path,
                L" this path is too long."));
  }
  try {
    changeDirectory(port, path);
    return;
  } catch (const CannotChangeToDirectoryException&) {
    // Some part is missing: walk the path from the start.
  }
  // A leading slash stays with the first segment ("/QRSYS/LANGUAGE": "/QRSYS", "LANGUAGE").
  for (size_t start = 0; start < path.size();) {
    if (!running_) return;
    const size_t end = std::min(path.find(L'/', start + 1), path.size());
    const std::wstring segment = path.substr(start, end - start);
    try {
      changeDirectory(port, segment);
    } catch (const CannotChangeToDirectoryException&) {
      if (running_) {
        makeDirectory(port, segment);
        changeDirectory(port, segment);
      }
    }
    start = end + 1;
  }
}

uint32_t QrBrlOsFileTransferStrategy::receiveList(SerialPort& port, uint8_t command,
                                                  std::wstring_view prefix, size_t reserve,
                                                  std::vector<DirectoryEntry>& list) {
  appendCurrentEntries(receiveListData(port, command, prefix, reserve), prefix, currentDirectory_,
                       list);
  return static_cast<uint32_t>(list.size());
}

uint32_t QrBrlOsFileTransferStrategy::sendFileList(SerialPort& port,
                                                   std::vector<DirectoryEntry>& list) {
  return receiveList(port, Legacy::kGetFileList, L"QrBrlOsFileTransferStrategy::sendFileList -- ",
                     0, list);
}

void QrBrlOsFileTransferStrategy::sendDiskSpace(SerialPort& port, uint64_t& total, uint64_t& free) {
  receiveDiskSpace(port, L"QrBrlOsFileTransferStrategy::sendDiskSpace -- ", 8, total, free);
}

bool QrBrlOsFileTransferStrategy::supportsService(int serviceId) const {
  return BrailleSystemVersion20010FileTransferStrategy::supportsService(serviceId) ||
         serviceId == 31 || serviceId == 32;
}

std::unique_ptr<FileTransferStrategy> QrBrlOsFileTransferStrategy::clone() const {
  return std::make_unique<QrBrlOsFileTransferStrategy>(modelId());
}

}  // namespace QrCom
