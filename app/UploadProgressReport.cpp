// What the library reports during the upload, turned into the dialog's status text and bar; and
// the dialog's Cancel.
#include "app/FirmwareUploadControler.h"
#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"
#include "qrcom/base/Clock.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrApp {

namespace {

constexpr uint32_t kStageMainFirmware = 1;
constexpr int kBrailleProcessor = 0;
constexpr int kUsbProcessor = 1;

// The status text of each stage an upload strategy reports.
constexpr uint16_t kStageTexts[] = {
    kStrCountingFirmwareFiles, kStrLookingForTarget,   kStrSwitchingToEprom,
    kStrCountingFlashBanks,    kStrErasingFlash,       kStrSwitchingToFlash,
    kStrSendingFirmwareData,   kStrSwitchingFlashBank, kStrSendingHangmanFiles,
};

}  // namespace

void FirmwareUploadControler::onProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t,
                                         uint32_t, uint64_t totalBytes, uint64_t,
                                         uint64_t doneBytes, uint64_t doneInFile) {
  reportProgress(totalBytes, doneBytes, doneInFile);
}

void FirmwareUploadControler::onTransferProgress(QrCom::QuorlinDevice*, const std::wstring&,
                                                 uint32_t, uint32_t, uint64_t totalBytes, uint64_t,
                                                 uint64_t doneBytes, uint64_t doneInFile) {
  reportProgress(totalBytes, doneBytes, doneInFile);
}

void FirmwareUploadControler::reportProgress(uint64_t totalBytes, uint64_t doneBytes,
                                             uint64_t doneInFile) {
  // The main firmware's size is known only once its upload has counted its files.
  if (stage_ == kStageMainFirmware) package_.bytes[kMainFirmware] = totalBytes;
  if (total_ == 0) total_ = packageTotal();
  if (stage_ == kStageMainFirmware) {
    showShare(doneBytes, total_);
  } else {
    showShare(done_ + doneInFile, total_);
  }
}

uint64_t FirmwareUploadControler::packageTotal() const {
  const auto& bytes = package_.bytes;
  const uint64_t secondary =
      bytes[kBluetoothFirmware] + bytes[kUsbProcessorFirmware] + bytes[kBrailleProcessorFirmware];
  if (isFolderPackageModel(device_->getModelId())) {
    return bytes[kMainFirmware] + package_.tutorialFiles.bytes + package_.musicFiles.bytes +
           package_.systemFiles.bytes + bytes[kHangmanWordList] + secondary;
  }
  return bytes[kMainFirmware] + bytes[kHangmanWordList] + secondary + bytes[kHelpFile] +
         bytes[kPrinterDefinitions] + bytes[kKeyboardLayout] + bytes[kMessageFile];
}

void FirmwareUploadControler::onSecondaryProgress(QrCom::QuorlinDevice*, int kind,
                                                  const std::wstring&, uint32_t percent) {
  if (kind != kBrailleProcessor && kind != kUsbProcessor) return;
  const auto& bytes = package_.bytes;
  if (total_ == 0) {
    total_ = bytes[kMainFirmware] + bytes[kMessageFile] + bytes[kKeyboardLayout] +
             bytes[kPrinterDefinitions] + bytes[kHelpFile] + bytes[kBrailleProcessorFirmware] +
             bytes[kUsbProcessorFirmware] + bytes[kHangmanWordList];
  }
  const uint64_t processor =
      bytes[kind == kBrailleProcessor ? kBrailleProcessorFirmware : kUsbProcessorFirmware];
  showShare(processor * percent / 100 + done_, total_);
}

void FirmwareUploadControler::showShare(uint64_t part, uint64_t whole) {
  // Nothing counted yet (a package of uncounted files only): no share to show. Files that are
  // counted as done but not in the total must not carry the bar past its end.
  if (whole == 0) return;
  const uint64_t percent = part * 100 / whole;
  ui_.uploadProgress().setPercent(percent > 100 ? 100 : static_cast<unsigned>(percent));
}

void FirmwareUploadControler::onStage(QrCom::QuorlinDevice*, uint32_t stage) {
  if (stage >= sizeof kStageTexts / sizeof kStageTexts[0]) return;
  ui_.uploadProgress().setStatus(
      loadLocalizedString(kStageTexts[stage], uiLanguage().languageId, kStatusLength));
}

void FirmwareUploadControler::onCancel() {
  continue_ = false;
  if (device_ == nullptr) return;
  // Only flags: the worker notices at its next block or step.
  device_->cancelTransfer();
  QrCom::clock().sleep(5000);
}

}  // namespace QrApp
