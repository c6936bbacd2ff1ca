// The worker thread: one pass that sends the package to the display in a fixed order and ends
// the progress dialog with the result.
#include <exception>
#include <memory>

#include "app/BrailleTable.h"
#include "app/FileSystem.h"
#include "app/FirmwareUploadControler.h"
#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/protocol/BrailleTablesNames.h"

namespace QrApp {

namespace {

constexpr int kBrailleTableService = 22;

// Stages of the worker (the library's upload stages are reported through onStage).
enum WorkerStage : uint32_t {
  kStageMainFirmware = 1,
  kStageMessageFile = 2,
  kStageKeyboardLayout = 3,
  kStagePrinterDefinitions = 4,
  kStageHelpFile = 5,
  kStageBrailleTable = 6,
  kStageBrailleProcessor = 7,
  kStageUsbProcessor = 8,
  kStageHangmanFiles = 9,
  kStageMusicFiles = 10,
  kStageSystemFiles = 11,
  kStageTutorialFiles = 13,
  kStageBluetoothFirmware = 14,
};

constexpr uint32_t kFileRetries = 20;         // silent attempts before the user is asked
constexpr uint32_t kFileRetriesAfterAsk = 5;  // and then between the questions
constexpr int kBrailleProcessorAttempts = 5;
constexpr int kUsbProcessorAttempts = 2;
constexpr int kTableNameAttempts = 10;
constexpr int kAvailabilityPolls = 60;

void wait(uint32_t milliseconds) {
  QrCom::clock().sleep(milliseconds);
}

void diagnose(const wchar_t* what, const QrCom::QrException& failure) {
  QrCom::debugOutput(std::wstring(what) + L": " + failure.getMessage() + L"\n");
}

// Runs a device operation whose failure ends the pass; false when it failed.
template <typename Operation>
bool attempt(const wchar_t* what, Operation&& operation) {
  try {
    operation();
    return true;
  } catch (const QrCom::QrException& failure) {
    diagnose(what, failure);
    return false;
  }
}

}  // namespace

void FirmwareUploadControler::uploadThread() {
  bool ok = false;
  // Nothing may escape the thread: whatever goes wrong ends the dialog with failure.
  try {
    ok = uploadPass();
  } catch (const QrCom::QrException& failure) {
    diagnose(L"upload", failure);
  } catch (const std::exception& failure) {
    QrCom::debugOutput(L"upload: " + QrCom::fromUtf8(failure.what()) + L"\n");
  }
  UploadProgress& progress = ui_.uploadProgress();
  progress.setPercent(100);
  wait(1000);
  progress.end(ok ? 0 : -1);
}

bool FirmwareUploadControler::uploadPass() {
  const uint8_t model = device_->getModelId();
  wait(1000);
  stage_ = kStageMainFirmware;
  bool ok = loadMainFirmware();
  wait(2000);
  if (!ok) return false;
  if (receivesSystemFiles(model)) {
    wait(10000);
    if (cancelled()) return false;
    if (!attempt(L"updateDeviceProperties", [&] { device_->updateDeviceProperties(); })) {
      return false;
    }
  }
  if (isFolderPackageModel(model)) {
    if (!sendFolderPackage()) return false;
  } else if (!sendLegacyFiles()) {
    return false;
  }
  if (isFolderPackageModel(model)) {
    wait(3000);
    if (!attempt(L"changeDirectory", [&] { device_->changeDirectory(L"/"); })) return false;
  }
  if (!updateSecondaryFirmware()) return false;
  const bool systemFilesSent = !package_.systemFiles.names.empty() ||
                               !package_.hangmanFiles.names.empty() ||
                               !package_.musicFiles.names.empty();
  if (systemFilesSent) {
    if (cancelled()) return false;
    return attempt(L"restartSystem", [&] { device_->restartSystem(true); });
  }
  return true;
}

bool FirmwareUploadControler::loadMainFirmware() {
  const std::wstring& firmware = package_.slots[kMainFirmware];
  if (firmware.empty()) return true;
  if (!attempt(L"loadFirmware", [&] { device_->loadFirmware(firmware, this); })) return false;
  // A cancelled upload may end without a failure: it did not load the firmware all the same.
  if (cancelled()) return false;
  done_ += package_.bytes[kMainFirmware];
  return true;
}

bool FirmwareUploadControler::sendFolderPackage() {
  wait(1000);
  if (cancelled()) return false;
  if (!attempt(L"makePath", [&] {
        device_->makePath(L"/QRSYS/LANGUAGE");
        device_->makePath(L"/QRSYS/TUTORIALS");
      })) {
    return false;
  }
  bool ok = true;
  const std::wstring& configuration = package_.slots[kConfigurationFile];
  if (!configuration.empty()) {
    if (!attempt(L"changeDirectory", [&] { device_->changeDirectory(L"/QRSYS"); })) return false;
    enterStage(kStageSystemFiles, kStrSendingSystemFiles);
    wait(3000);
    ok = sendFileWithRetry(joinPath(folder_, configuration), L"CONFIG.QSF");
    done_ += package_.bytes[kConfigurationFile];
  }
  // A list after a failure still changes into its folder, but sends nothing.
  struct Step {
    const FileList& list;
    const wchar_t* folder;
    uint32_t stage;
    uint16_t statusId;
  };
  const Step steps[] = {
      {package_.systemFiles, L"/QRSYS/LANGUAGE", kStageSystemFiles, kStrSendingSystemFiles},
      {package_.hangmanFiles, L"/QRSYS/LANGUAGE", kStageHangmanFiles, kStrSendingHangmanFiles},
      {package_.musicFiles, L"/QRSYS", kStageMusicFiles, kStrSendingMusicFiles},
      {package_.tutorialFiles, L"/QRSYS/TUTORIALS", kStageTutorialFiles, kStrSendingTutorialFiles},
      {package_.demoFiles, L"/QRSYS", kStageTutorialFiles, kStrSendingTutorialFiles},
  };
  for (const Step& step : steps) {
    if (step.list.names.empty()) continue;
    if (!attempt(L"changeDirectory", [&] { device_->changeDirectory(step.folder); })) return false;
    if (ok) ok = sendFileList(step.list, step.stage, step.statusId);
  }
  return ok;
}

bool FirmwareUploadControler::sendFileList(const FileList& list, uint32_t stage,
                                           uint16_t statusId) {
  const uint8_t model = device_->getModelId();
  for (const std::wstring& name : list.names) {
    enterStage(stage, statusId);
    wait(3000);
    if (QrCom::ModelTable::isPocketDisplay(model)) waitUntilDeviceFree();
    const bool sent = sendFileWithRetry(joinPath(folder_, name), name);
    done_ += localFileSize(folder_, name);
    if (!sent) return false;
  }
  return true;
}

void FirmwareUploadControler::waitUntilDeviceFree() {
  // The display's own storage must not be in use by the computer while a file arrives: it is
  // locked as soon as it is free. After a minute the file is sent all the same, and a display
  // that is free only at the last poll is not locked any more. A cancel ends the wait.
  for (int poll = 1; poll <= kAvailabilityPolls && !cancelled(); ++poll) {
    if (device_->isAvailable()) {
      if (poll < kAvailabilityPolls) device_->block();
      return;
    }
    if (poll < kAvailabilityPolls) wait(1000);
  }
}

bool FirmwareUploadControler::sendLegacyFiles() {
  // Their file system has no folders: the files land in its one list, without a change of
  // directory after each of them.
  return sendLegacyFile(kMessageFile, L"MSG.QSF", kStageMessageFile, kStrSendingMessageFile,
                        3000) &&
         sendLegacyFile(kKeyboardLayout, L"KBDLYOUT.QSF", kStageKeyboardLayout,
                        kStrSendingKeyboardLayout, 5000) &&
         sendLegacyFile(kPrinterDefinitions, L"PRINTERS.QSF", kStagePrinterDefinitions,
                        kStrSendingPrinterDefinitions, 3000) &&
         sendLegacyFile(kBrailleTableFile, nullptr, kStageBrailleTable, kStrSendingBrailleTable,
                        3000) &&
         sendLegacyFile(kHelpFile, L"HELP.QSF", kStageHelpFile, kStrSendingHelpFile, 0) &&
         sendLegacyFile(kHangmanWordList, L"HANGMAN.LST", kStageHangmanFiles,
                        kStrSendingHangmanFiles, 0);
}

bool FirmwareUploadControler::sendLegacyFile(FileSlot slot, const wchar_t* deviceName,
                                             uint32_t stage, uint16_t statusId, uint32_t waitMs) {
  const std::wstring& path = package_.slots[slot];
  if (path.empty()) return true;
  enterStage(stage, statusId);
  if (waitMs > 0) wait(waitMs);
  const bool sent =
      deviceName != nullptr ? sendFileWithRetry(path, deviceName) : sendBrailleTable(path);
  if (!sent) return false;
  done_ += package_.bytes[slot];
  // The display settles after each of its system files before the next one comes.
  if (slot != kHangmanWordList) wait(3000);
  return true;
}

bool FirmwareUploadControler::updateSecondaryFirmware() {
  if (!package_.slots[kBrailleProcessorFirmware].empty()) {
    enterStage(kStageBrailleProcessor, kStrBrailleProcessorUpdating);
    if (!updateBrailleProcessor()) return false;
    done_ += package_.bytes[kBrailleProcessorFirmware];
  }
  if (!package_.slots[kUsbProcessorFirmware].empty()) {
    enterStage(kStageUsbProcessor, kStrUsbProcessorUpdating);
    if (!updateUsbProcessor()) return false;
    done_ += package_.bytes[kUsbProcessorFirmware];
  }
  const std::wstring& bluetooth = package_.slots[kBluetoothFirmware];
  if (!bluetooth.empty()) {
    enterStage(kStageBluetoothFirmware, kStrSendingBluetoothFirmware);
    if (cancelled()) return false;
    if (!attempt(L"loadBtFirmware", [&] { device_->loadBtFirmware(bluetooth, this); })) {
      return false;
    }
    if (cancelled()) return false;
    done_ += package_.bytes[kBluetoothFirmware];
  }
  return true;
}

bool FirmwareUploadControler::sendFileWithRetry(const std::wstring& path,
                                                const std::wstring& deviceName) {
  uint32_t left = kFileRetries;
  bool retry = true;
  while (retry && !cancelled()) {
    try {
      device_->receiveFile(path, deviceName, 0, 1, this);
      wait(1000);
      return true;
    } catch (const QrCom::TransmissionCanceledByUserException&) {
      return false;
    } catch (const QrCom::QrException& failure) {
      diagnose(L"receiveFile", failure);
      if (--left == 0) {
        retry = ui_.uploadProgress().askRetry();
        left = kFileRetriesAfterAsk;
      }
      wait(1000);
    }
  }
  return false;
}

bool FirmwareUploadControler::updateBrailleProcessor() {
  for (int attemptNumber = 0; attemptNumber < kBrailleProcessorAttempts; ++attemptNumber) {
    if (cancelled()) return false;
    const bool loaded = attempt(L"loadBrailleFirmware", [&] {
      device_->loadBrailleFirmware(package_.slots[kBrailleProcessorFirmware], this);
    });
    wait(1000);
    if (loaded && !cancelled()) return true;
  }
  return false;
}

bool FirmwareUploadControler::updateUsbProcessor() {
  for (int attemptNumber = 0; attemptNumber < kUsbProcessorAttempts; ++attemptNumber) {
    if (cancelled()) return false;
    const bool loaded = attempt(L"loadUsbFirmware", [&] {
      device_->loadUsbFirmware(package_.slots[kUsbProcessorFirmware], this);
    });
    wait(1000);
    if (loaded && !cancelled()) return true;
  }
  return false;
}

bool FirmwareUploadControler::sendBrailleTable(const std::wstring& path) {
  if (!device_->isServiceSupported(kBrailleTableService)) return true;
  QrCom::BrailleTablesNames names;
  bool propertiesUpdated = false;
  bool namesRead = false;
  for (int attemptNumber = 0; attemptNumber < kTableNameAttempts && !namesRead; ++attemptNumber) {
    if (cancelled()) return false;
    try {
      if (!propertiesUpdated) {
        device_->updateDeviceProperties();
        propertiesUpdated = true;
      }
      names.clear();
      device_->getBrailleTablesNames(names);
      namesRead = true;
    } catch (const QrCom::TransmissionCanceledByUserException&) {
      return false;
    } catch (const QrCom::QrException& failure) {
      diagnose(L"getBrailleTablesNames", failure);
      wait(1000);
    }
  }
  if (!namesRead) return false;
  std::unique_ptr<BrailleTable> table;
  if (!attempt(L"BrailleTable", [&] { table = std::make_unique<BrailleTable>(path); })) {
    return false;
  }
  if (cancelled()) return false;
  int slot = names.findSlot(table->name());
  if (slot == 0) {
    slot = names.firstFreeSlot();
    if (slot == 0) {
      ui_.uploadProgress().showMessage(
          loadLocalizedString(kStrNoSpaceForBrailleTable, uiLanguage().languageId),
          MessageKind::Information);
      return true;
    }
    if (!attempt(L"receiveBrailleTable", [&] {
          device_->receiveBrailleTable(table->dots(), table->name(), slot,
                                       table->searchBackwards());
        })) {
      return false;
    }
  }
  return attempt(L"activateBrailleTable",
                 [&] { device_->activateBrailleTable(static_cast<uint8_t>(slot)); });
}

void FirmwareUploadControler::enterStage(uint32_t stage, uint16_t statusId) {
  stage_ = stage;
  ui_.uploadProgress().setStatus(
      loadLocalizedString(statusId, uiLanguage().languageId, kStatusLength));
}

}  // namespace QrApp
