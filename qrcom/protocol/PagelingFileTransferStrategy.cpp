#include "qrcom/protocol/PagelingFileTransferStrategy.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "qrcom/base/NativeFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/BookmarkIndex.h"
#include "qrcom/protocol/PagelingProtocol.h"

namespace QrCom {

namespace {
constexpr wchar_t kReceivePrefix[] = L"PagelingFileTransferStrategy::receiveFile -- ";
constexpr size_t kNameField = 8;
constexpr size_t kHeaderData = 13;  // where the document starts in the header block
constexpr uint8_t kEndOfText = 0x03;
constexpr uint8_t kHeaderMarks[] = {0x02, 0x0C, 0x1F};
constexpr uint8_t kBeginOfFile = 0x1C;
constexpr int kFileTransferService = 4;
constexpr int kDocumentService = 17;

using Block = uint8_t[Pageling::kBlockSize];
using NameField = std::array<uint8_t, kNameField>;

NameField buildTargetFileName(const std::wstring& target, const std::wstring& source) {
  if (source.empty()) {
    throw IllegalSourceFileNameException(compose(
        L"PagelingFileTransferStrategy::buildTargetFileName -- ", L"SourceFileName is empty."));
  }
  const std::string ansi = toAnsi(target.empty() ? source : target);
  NameField field;
  field.fill(Pageling::kBlank);
  std::copy_n(ansi.begin(), std::min(ansi.size(), kNameField), field.begin());
  return field;
}

int checkBrailleTableNumber(int number) {
  constexpr wchar_t kPrefix[] = L"PagelingFileTransferStrategy::checkBrailleTableNumber -- ";
  if (number < 0) {
    throw InvalidArgumentException(compose(kPrefix, L"Parameter brailleTableNumber < 0"));
  }
  if (number > 9) {
    throw InvalidArgumentException(compose(kPrefix, L"Parameter brailleTableNumber > 9"));
  }
  return number;
}

std::vector<uint8_t> readDocument(const std::wstring& path) {
  NativeFile file(path, kFileRead);
  std::vector<uint8_t> document;
  uint8_t chunk[65536];
  for (int32_t read; (read = file.readBuffer(chunk, sizeof chunk)) > 0;) {
    document.insert(document.end(), chunk, chunk + read);
  }
  return document;
}

// Copies `length` bytes to `block` from `offset` on; a document that ends here gets its end
// marker after the last byte. The rest is blank. True when the marker went into the block.
bool fillBlock(Block& block, size_t offset, const uint8_t* data, size_t length, bool ends) {
  std::memset(block + offset, Pageling::kBlank, Pageling::kBlockSize - offset);
  if (length > 0) std::memcpy(block + offset, data, length);
  if (!ends || offset + length == Pageling::kBlockSize) return false;
  block[offset + length] = kEndOfText;
  return true;
}

[[noreturn]] void cancelUpload(SerialPort& port) {
  Pageling::writeControl(port, Pageling::kCancel);
  Pageling::awaitAnswer(port, kReceivePrefix);
  throw TransmissionCanceledByUserException(L"Transmission cancelled by User");
}
}  // namespace

void PagelingFileTransferStrategy::receiveFile(SerialPort& port, QuorlinDevice* device,
                                               const std::wstring& source,
                                               const std::wstring& target, int32_t number, uint8_t,
                                               FileTransferSink* sink) {
  running_ = true;
  const NameField name = buildTargetFileName(target, source);
  const int table = checkBrailleTableNumber(number);
  if (!running_) return;
  const std::vector<uint8_t> document = readDocument(source);
  const std::vector<uint8_t> index = buildBookmarkIndex(document);
  const auto size = static_cast<uint32_t>(document.size());
  if (!running_) return;
  const auto report = [&](uint32_t done) {
    if (sink != nullptr) sink->onTransferProgress(device, source, 1, 1, size, size, done, done);
  };
  report(0);
  Pageling::openTransaction(port, Pageling::kUploadDocument, kReceivePrefix);

  Block block;
  block[0] = kBeginOfFile;
  std::copy(name.begin(), name.end(), block + 1);
  block[1 + kNameField] = static_cast<uint8_t>('0' + table);
  std::copy(std::begin(kHeaderMarks), std::end(kHeaderMarks), block + 2 + kNameField);
  const size_t inHeader = std::min<size_t>(size, Pageling::kBlockSize - kHeaderData);
  bool marked = fillBlock(block, kHeaderData, document.data(), inHeader, inHeader == size);
  if (!running_) return;
  Pageling::sendBlock(port, block, kReceivePrefix);

  uint32_t done = static_cast<uint32_t>(inHeader);
  while (done < size) {
    const uint32_t length = std::min<uint32_t>(size - done, Pageling::kBlockSize);
    if (!running_) cancelUpload(port);
    marked = fillBlock(block, 0, document.data() + done, length, done + length == size);
    Pageling::sendBlock(port, block, kReceivePrefix);
    done += length;
    if ((((size - done) >> 9) + 2) % 10 == 0 || done == length) report(done);
  }
  if (!running_) cancelUpload(port);
  if (!marked) {
    // The document filled its last block exactly: the marker needs a block of its own.
    fillBlock(block, 0, nullptr, 0, true);
    Pageling::sendBlock(port, block, kReceivePrefix);
  }
  for (size_t offset = 0; offset < index.size(); offset += Pageling::kBlockSize) {
    const size_t length = std::min(index.size() - offset, Pageling::kBlockSize);
    fillBlock(block, 0, index.data() + offset, length, false);
    Pageling::sendBlock(port, block, kReceivePrefix);
  }
  Pageling::endTransfer(port, kReceivePrefix);
}

void PagelingFileTransferStrategy::sendFile(SerialPort&, QuorlinDevice*, const std::wstring&,
                                            const std::wstring&, uint64_t, FileTransferSink*) {
  notSupported(L"PagelingFileTransferStrategy::sendFile -- ");
}

// Making and changing directories share the delete prefix.
void PagelingFileTransferStrategy::makeDirectory(SerialPort&, const std::wstring&) {
  notSupported(L"PagelingFileTransferStrategy::deleteFile -- ");
}

void PagelingFileTransferStrategy::changeDirectory(SerialPort&, const std::wstring&) {
  notSupported(L"PagelingFileTransferStrategy::deleteFile -- ");
}

void PagelingFileTransferStrategy::makePath(SerialPort&, const std::wstring&) {
  notSupported(L"PagelingFileTransferStrategy::makePath -- ");
}

uint32_t PagelingFileTransferStrategy::sendFileList(SerialPort&, std::vector<DirectoryEntry>&) {
  notSupported(L"PagelingFileTransferStrategy::sendFileList -- ");
}

uint32_t PagelingFileTransferStrategy::sendFolderList(SerialPort&, std::vector<DirectoryEntry>&) {
  notSupported(L"PagelingFileTransferStrategy::sendFolderList -- ");
}

void PagelingFileTransferStrategy::sendDiskSpace(SerialPort&, uint64_t&, uint64_t&) {
  notSupported(L"PagelingFileTransferStrategy::sendDiskSpace -- ");
}

void PagelingFileTransferStrategy::deleteFile(SerialPort&, const std::wstring&) {
  notSupported(L"PagelingFileTransferStrategy::deleteFile -- ");
}

void PagelingFileTransferStrategy::renameFile(SerialPort&, const std::wstring&,
                                              const std::wstring&) {
  notSupported(L"PagelingFileTransferStrategy::renameFile -- ");
}

bool PagelingFileTransferStrategy::checkMassStorageProtocolActive(SerialPort&) {
  notSupported(L"NoMassStorageProtocolStrategy::checkMassStorageProtocolActive -- ");
}

void PagelingFileTransferStrategy::lockMassStorageProtocol(SerialPort&) {
  notSupported(L"NoMassStorageProtocolStrategy::lockMassStorageProtocol -- ");
}

void PagelingFileTransferStrategy::releaseMassStorageProtocol(SerialPort&) {
  notSupported(L"NoMassStorageProtocolStrategy::sendFileList -- ");
}

bool PagelingFileTransferStrategy::supportsService(int serviceId) const {
  return serviceId == kFileTransferService || serviceId == kDocumentService;
}

std::unique_ptr<FileTransferStrategy> PagelingFileTransferStrategy::clone() const {
  return std::make_unique<PagelingFileTransferStrategy>();
}

}  // namespace QrCom
