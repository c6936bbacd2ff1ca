// The records of each firmware file, sent into the flash bank of the file's number.
#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/EpromDialogue.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"

namespace QrCom {

using namespace Eprom;

namespace {

// The boot loader's errors while sending have always carried this prefix.
constexpr wchar_t kSendPrefix[] = L"EpromVersion11FirmwareUploadStrategy::deleteFlashMemory--";
constexpr int kSendsPerRecord = 4;
constexpr uint32_t kRecordsPerReport = 100;
constexpr uint8_t kAlsoConfirms = 0xFF;

}  // namespace

void EpromVersion11FirmwareUploadStrategy::sendRecord(SerialPort& port, const HexFile& file,
                                                      const HexRecord& record, bool last) {
  const auto* text = reinterpret_cast<const uint8_t*>(file.data.data()) + record.begin;
  const auto length = static_cast<uint32_t>(record.end - record.begin);
  for (int send = 0; send < kSendsPerRecord; ++send) {
    // The last record (end of file) makes the boot loader finish the bank: give it time.
    if (last) settle(port);
    port.writeBuffer(text, length);
    const uint8_t answer = port.readByte();
    if (answer == kOk || answer == kAlsoConfirms) return;
  }
  throw ErrorWhileLoadingHexFileException(compose(kSendPrefix, L"Firmware block not confirmed"));
}

void EpromVersion11FirmwareUploadStrategy::sendFirmwareFiles(SerialPort& port,
                                                             const std::vector<HexFile>& files,
                                                             int banks,
                                                             FirmwareUploadProgressSink* sink) {
  const auto count = static_cast<uint32_t>(files.size());
  // Sized by what is sent: the files may have changed since they were counted.
  uint64_t totalBytes = 0;
  for (const HexFile& file : files) totalBytes += file.data.size();
  uint32_t records = 0;
  uint64_t doneBytes = 0;
  for (uint32_t n = 0; n < count; ++n) {
    const HexFile& file = files[n];
    showUploadMessage(port);
    settle(port);
    switchToFlashBank(port, n, banks);
    if (!answers(port, kBeginUpload, kOk)) {
      throw ErrorWhileLoadingHexFileException(
          compose(kSendPrefix, L"Invalid response for BEGIN_UPLOAD"));
    }
    settle(port);
    report(sink, kStageSendingFirmware);
    if (sink != nullptr) {
      sink->onProgress(device_, file.path, count, n, totalBytes, file.data.size(), doneBytes, 0);
    }
    for (size_t r = 0; r < file.records.size(); ++r) {
      if (!running_) {
        abandon(port);
        return;
      }
      const HexRecord& record = file.records[r];
      sendRecord(port, file, record, r + 1 == file.records.size());
      if (records++ % kRecordsPerReport == 5 && sink != nullptr) {
        sink->onProgress(device_, file.path, count, n, totalBytes, file.data.size(),
                         doneBytes + record.next, record.next);
      }
    }
    doneBytes += file.data.size();
    clock().sleep(2000);
    port.purge();
    clock().sleep(1000);
  }
  if (!running_) {
    abandon(port);
  }
}

}  // namespace QrCom
