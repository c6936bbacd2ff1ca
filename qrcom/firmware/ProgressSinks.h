#pragma once

#include <cstdint>
#include <string>

namespace QrCom {

class QuorlinDevice;

// Stages a firmware upload reports through FirmwareUploadProgressSink::onStage.
enum UploadStage : uint32_t {
  kStageCountingFiles = 0,
  kStageLookingForDevice = 1,
  kStageSwitchingToEprom = 2,  // also: to IAP mode
  kStageCountingFlashBanks = 3,
  kStageErasingFlash = 4,
  kStageSwitchingToFlash = 5,  // also: restarting in normal mode
  kStageSendingFirmware = 6,
  kStageSwitchingFlashBank = 7,
  kStageTransferringFiles = 8,  // the application's own file transfers
};

// Progress of a main-firmware upload. The receiver shows doneBytes * 100 / totalBytes.
class FirmwareUploadProgressSink {
 public:
  virtual void onProgress(QuorlinDevice* device, const std::wstring& fileName, uint32_t fileCount,
                          uint32_t fileIndex, uint64_t totalBytes, uint64_t fileBytes,
                          uint64_t doneBytes, uint64_t doneInFile) = 0;
  virtual void onStage(QuorlinDevice* device, uint32_t stage) = 0;

 protected:
  ~FirmwareUploadProgressSink() = default;
};

// Progress of a secondary processor reprogramming itself: kind 0 the Braille processor, 1 the
// USB controller; percent 0 to 100.
class SecondaryFirmwareUploadProgressSink {
 public:
  virtual void onSecondaryProgress(QuorlinDevice* device, int kind, const std::wstring& fileName,
                                   uint32_t percent) = 0;

 protected:
  ~SecondaryFirmwareUploadProgressSink() = default;
};

// Progress of a file transfer; the parameters mean what they mean in onProgress.
class FileTransferSink {
 public:
  virtual void onTransferProgress(QuorlinDevice* device, const std::wstring& fileName,
                                  uint32_t fileCount, uint32_t fileIndex, uint64_t totalBytes,
                                  uint64_t fileBytes, uint64_t doneBytes, uint64_t doneInFile) = 0;

 protected:
  ~FileTransferSink() = default;
};

// Told by the progress dialog that the user cancelled.
class UploadProcessDialogNotifier {
 public:
  virtual void onCancel() = 0;

 protected:
  ~UploadProcessDialogNotifier() = default;
};

}  // namespace QrCom
