#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "qrcom/firmware/ProgressSinks.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

// How one protocol generation downloads a file.
struct DownloadPlan {
  std::wstring_view prefix;
  size_t nameLimit;  // ANSI bytes of the device name
  // Largest block the device may send; the progress rule divides the remaining bytes by it.
  uint32_t blockLimit;
  std::wstring_view emptyTargetText;
};

// Fetches the device file `source` into the local file `target`. A cleared `running` flag
// before the request ends the download quietly; later the next block is refused with NAK 23
// and the download fails with TransmissionCanceledByUserException. Whatever fails after the
// target file was created erases it.
void downloadFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                  const std::wstring& target, uint64_t expectedSize, const DownloadPlan& plan,
                  const std::atomic<bool>& running, FileTransferSink* sink);

}  // namespace QrCom
