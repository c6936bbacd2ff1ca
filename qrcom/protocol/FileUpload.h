#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qrcom/firmware/ProgressSinks.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

class FileTransferStrategy;

// How one protocol generation uploads a file.
struct UploadPlan {
  std::wstring_view prefix;
  std::vector<uint8_t> header;  // body of the header frame
  size_t blockSize;
  // Report after every block; otherwise only when (size - done) / 80 + 2 is a multiple of 50.
  bool reportEveryBlock;
};

// Sends the local file `source` to the device: the disk-space check through `self` (skipped for
// a file of exactly 65535 bytes), the header frame, the data blocks and END_OF_FILE. A cleared
// `running` flag before the header ends the upload quietly; later it sends CANCEL_UPLOAD and
// fails with TransmissionCanceledByUserException.
void uploadFile(SerialPort& port, FileTransferStrategy& self, QuorlinDevice* device,
                const std::wstring& source, const UploadPlan& plan,
                const std::atomic<bool>& running, FileTransferSink* sink);

}  // namespace QrCom
