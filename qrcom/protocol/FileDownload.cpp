#include "qrcom/protocol/FileDownload.h"

#include <functional>
#include <vector>

#include "qrcom/base/NativeFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/LegacyFraming.h"

namespace QrCom {

namespace {

// Reads the blocks up to END_OF_FILE into `file`.
void receiveBlocks(SerialPort& port, LocalFile& file, const DownloadPlan& plan,
                   const std::atomic<bool>& running, uint64_t expectedSize,
                   const std::function<void(uint64_t)>& report) {
  std::vector<uint8_t> block(plan.blockLimit);
  uint64_t done = 0;
  bool first = true;
  for (;;) {
    const uint8_t command = port.readByte();
    if (command == Legacy::kEndOfFile) return;
    if (command == Legacy::kCancelUpload) {
      acknowledge(port, Legacy::kCancelUpload);
      throw TransmissionCanceledByUserException(
          compose(plan.prefix, L"Transmission canceled by user (device side)."));
    }
    if (command == Legacy::kNak) throwDeviceError(port.readByte(), plan.prefix);
    if (command != Legacy::kReceiveDataBlock) {
      throw ErrorInProtocolException(
          compose(plan.prefix, L"Missing RECEIVE_DATA_BLOCK or CANCEL_UPLOAD."));
    }
    if (!running) {
      const uint8_t refusal[2] = {Legacy::kNak, Legacy::kCanceledByUser};
      port.writeBuffer(refusal, 2);
      throw TransmissionCanceledByUserException(
          compose(plan.prefix, L"Transmission canceled by user (PC side)."));
    }
    acknowledge(port, Legacy::kReceiveDataBlock);
    const uint8_t low = port.readByte();
    const uint32_t length = low | static_cast<uint32_t>(port.readByte()) << 8;
    if (length > plan.blockLimit) {
      throw ErrorInProtocolException(
          compose(plan.prefix, L"Requested package size exceeds maximum size."));
    }
    // A zero-length read would count as silence on a COM port.
    if (length > 0 && port.readBuffer(block.data(), length) < length) {
      throw ErrorInProtocolException(
          compose(plan.prefix, L"Wrong number of data bytes(page frame error)."));
    }
    file.writeBuffer(block.data(), static_cast<int32_t>(length));
    done += length;
    if (first || ((expectedSize - done) / plan.blockLimit + 2) % 50 == 0) report(done);
    first = false;
    if (port.readByte() != Legacy::kSync) {
      throw ErrorInProtocolException(compose(plan.prefix, L"Missing SYNC."));
    }
    acknowledge(port, Legacy::kSync);
  }
}

}  // namespace

void downloadFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                  const std::wstring& target, uint64_t expectedSize, const DownloadPlan& plan,
                  const std::atomic<bool>& running, FileTransferSink* sink) {
  if (source.empty()) {
    throw IllegalSourceFileNameException(compose(plan.prefix, L"SourceFileName ist empty."));
  }
  if (target.empty()) {
    throw IllegalTargetFileNameException(compose(plan.prefix, plan.emptyTargetText));
  }
  const std::string name = toAnsi(source);
  if (name.size() > plan.nameLimit) {
    throw IllegalSourceFileNameException(compose(plan.prefix, L"SourceFileName too long."));
  }
  if (!running) return;

  NativeFile file(target, kFileWrite);
  const auto report = [&](uint64_t done) {
    if (sink != nullptr) {
      sink->onTransferProgress(device, source, 1, 1, expectedSize, expectedSize, done, done);
    }
  };
  report(0);
  try {
    sendNameCommand(port, Legacy::kGetFile, nameFrame(Legacy::kGetFile, name, plan.prefix),
                    plan.prefix);
    receiveBlocks(port, file, plan, running, expectedSize, report);
    report(expectedSize);
  } catch (const QrException&) {
    try {
      file.erase();
    } catch (const QrException&) {
      // The transfer's failure is the one to report.
    }
    throw;
  }
}

}  // namespace QrCom
