#pragma once

#include <cstdint>
#include <string>

#include "qrcom/firmware/ProgressSinks.h"

namespace QrCom {

// Shows the two steps of a secondary-processor update on one scale: the file transfer to the
// display as 0-50 %, the display reprogramming the processor as 50-100 %.
class SecondaryUploadProgressHelper final : public FileTransferSink,
                                            public SecondaryFirmwareUploadProgressSink {
 public:
  // `target` may be null: then nothing is reported. `kind`: 0 Braille processor, 1 USB
  // controller.
  SecondaryUploadProgressHelper(SecondaryFirmwareUploadProgressSink* target, int kind);

  void onTransferProgress(QuorlinDevice* device, const std::wstring& fileName, uint32_t fileCount,
                          uint32_t fileIndex, uint64_t totalBytes, uint64_t fileBytes,
                          uint64_t doneBytes, uint64_t doneInFile) override;
  void onSecondaryProgress(QuorlinDevice* device, int kind, const std::wstring& fileName,
                           uint32_t percent) override;

 private:
  SecondaryFirmwareUploadProgressSink* target_;
  int kind_;
};

}  // namespace QrCom
