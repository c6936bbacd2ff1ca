#include "qrcom/protocol/FileUpload.h"

#include "qrcom/base/NativeFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/FileTransferStrategy.h"
#include "qrcom/protocol/LegacyFraming.h"

namespace QrCom {

namespace {

// A file of this size is sent without asking for disk space, as the devices always did.
constexpr uint32_t kUncheckedSize = 0xFFFF;
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;

uint32_t sizeOf(NativeFile& file) {
  try {
    return static_cast<uint32_t>(file.getSize());
  } catch (const CannotReadFileSizeException&) {
    return kUnknownSize;
  }
}

[[noreturn]] void cancelUpload(SerialPort& port, std::wstring_view prefix) {
  sendCommand(port, Legacy::kCancelUpload, prefix);
  throw TransmissionCanceledByUserException(
      compose(prefix, L"Transmission canceled by user (PC side)."));
}

}  // namespace

void uploadFile(SerialPort& port, FileTransferStrategy& self, QuorlinDevice* device,
                const std::wstring& source, const UploadPlan& plan,
                const std::atomic<bool>& running, FileTransferSink* sink) {
  NativeFile file(source, kFileRead);
  const uint32_t size = sizeOf(file);
  if (size != kUncheckedSize) {
    uint64_t total = 0;
    uint64_t free = 0;
    self.sendDiskSpace(port, total, free);
    if (free < size) {
      throw NotEnoughMemoryException(
          compose(plan.prefix, L"Not enough disk space for file ", source, L"."));
    }
  }
  const auto report = [&](uint32_t done) {
    sink->onTransferProgress(device, source, 1, 1, size, size, done, done);
  };
  if (sink != nullptr) report(0);
  if (!running) return;

  port.purge();
  sendCommand(port, Legacy::kReceiveDataBlock, plan.prefix);
  sendFrame(port, plan.header, plan.prefix);

  std::vector<uint8_t> block(plan.blockSize);
  const auto blockSize = static_cast<int32_t>(plan.blockSize);
  uint32_t done = 0;
  for (int32_t read = file.readBuffer(block.data(), blockSize); read > 0;
       read = file.readBuffer(block.data(), blockSize)) {
    if (!running) cancelUpload(port, plan.prefix);
    sendDataBlock(port, block.data(), static_cast<size_t>(read), plan.prefix);
    done += static_cast<uint32_t>(read);
    if (sink != nullptr && (plan.reportEveryBlock || ((size - done) / 80 + 2) % 50 == 0)) {
      report(done);
    }
  }
  if (!running) cancelUpload(port, plan.prefix);
  sendCommand(port, Legacy::kEndOfFile, plan.prefix);
}

}  // namespace QrCom
