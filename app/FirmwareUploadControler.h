#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "app/FolderSettings.h"
#include "app/PackageFiles.h"
#include "app/UpdaterUi.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/firmware/ProgressSinks.h"

namespace QrApp {

// How one run of the updater ended (the Linux program's exit status tells it).
enum class UpdateOutcome {
  Succeeded,
  Failed,      // the upload failed or was cancelled
  NoDevice,    // no display found
  Declined,    // No to the confirmation, or a question cancelled
  DoesNotFit,  // the firmware is not for this display, or the display's firmware is too old
};

// Fills the list with the displays that can be updated.
using DeviceSearch = std::function<void(QrCom::DeviceList& devices)>;

// The program's search: every COM port the system knows and, with `usb`, every USB-HID
// interface of the family, at the same time; displays that take a firmware upload.
QrCom::SearchRequest updaterSearchRequest(bool usb);
DeviceSearch parallelSearch(bool usb);

// The model and emulation checks of an update, on what they depend: a `modelId` display that
// tells `serial` (none: it cannot) and main firmware whose file name begins with
// `firmwareModelCode`, in any case. The Fundo line takes only "fnx" firmware, any other model
// the firmware of its serial number's first three letters; a Vantra that tells an "ob4" serial
// number is emulating one.
enum class ModelCheck { Fits, OtherModel, Emulation };
ModelCheck checkModel(uint8_t modelId, const std::optional<std::wstring>& serial,
                      const std::wstring& firmwareModelCode);

class FirmwareUploadControler;

// A look at the display around its upload: the Linux program identifies the display again
// afterwards, to prove the result. Both run on the thread of run(), while no worker uses the
// display.
class UploadWitness {
 public:
  // Before the worker starts.
  virtual void before(QrCom::QuorlinDevice& device) = 0;
  // After the upload succeeded: what the display shows of the result (`report`, shown after the
  // result message); false when it does not prove the update, which then fails.
  virtual bool after(QrCom::QuorlinDevice& device, std::wstring& report) = 0;

 protected:
  ~UploadWitness() = default;
};

// What the entry point does with its controller: the command line (empty or the folder), the
// main firmware of that folder by the general rule, whatever display is found, then the run.
UpdateOutcome updateFromCommandLine(FirmwareUploadControler& controller,
                                    const std::wstring& commandLine);

// One update, from the device search to the result message: confirmation or selection of the
// display, the folder, the checks that the firmware fits, the package, and the upload on a
// worker thread while the progress dialog runs. The worker is joined before run() returns.
class FirmwareUploadControler : public QrCom::FirmwareUploadProgressSink,
                                public QrCom::SecondaryFirmwareUploadProgressSink,
                                public QrCom::FileTransferSink,
                                public QrCom::UploadProcessDialogNotifier {
 public:
  FirmwareUploadControler(UpdaterUi& ui, FolderSettings& settings, DeviceSearch search);
  virtual ~FirmwareUploadControler();
  FirmwareUploadControler(const FirmwareUploadControler&) = delete;
  FirmwareUploadControler& operator=(const FirmwareUploadControler&) = delete;

  // A non-empty command line is the folder: no folder question, and the stored folder is
  // neither read nor written.
  void setCommandLine(const std::wstring& commandLine);
  // None unless set; it must outlive run().
  void setWitness(UploadWitness* witness) { witness_ = witness; }
  UpdateOutcome run();

  // Fill the main-firmware slot and the firmware model code from `folder`: the first *.h00,
  // else the first *.hex other than 8051.hex; for the Fundo line FNX_BT.hex or FNX.hex.
  bool findFirmwareFile(const std::wstring& folder);
  bool findFundoFirmwareFile(const std::wstring& folder, bool bluetooth);
  // No main firmware in this update.
  void clearMainFirmware();
  // Whether a Fundo's firmware `version` ("3.30") is recent enough for the update (3.3 on).
  static bool firmwareVersionSupportsUpdate(const std::wstring& version);

  const PackageFiles& package() const { return package_; }
  const std::wstring& firmwareModelCode() const { return firmwareModelCode_; }

  // Progress from the library, on the worker thread.
  void onProgress(QrCom::QuorlinDevice* device, const std::wstring& fileName, uint32_t fileCount,
                  uint32_t fileIndex, uint64_t totalBytes, uint64_t fileBytes, uint64_t doneBytes,
                  uint64_t doneInFile) override;
  void onStage(QrCom::QuorlinDevice* device, uint32_t stage) override;
  void onSecondaryProgress(QrCom::QuorlinDevice* device, int kind, const std::wstring& fileName,
                           uint32_t percent) override;
  void onTransferProgress(QrCom::QuorlinDevice* device, const std::wstring& fileName,
                          uint32_t fileCount, uint32_t fileIndex, uint64_t totalBytes,
                          uint64_t fileBytes, uint64_t doneBytes, uint64_t doneInFile) override;
  // The progress dialog's Cancel, on the user-interface thread. It waits for nothing the worker
  // holds: on Windows the worker may be blocked in a progress message to this very thread.
  void onCancel() override;

 private:
  // --- the run (FirmwareUploadControler.cpp)
  QrCom::QuorlinDevice* chooseDevice(QrCom::DeviceList& devices, UpdateOutcome& outcome);
  bool confirmUpdate(QrCom::QuorlinDevice& device);
  void showNoDeviceMessage();
  bool chooseFolderAndFirmware();
  // The model, version and emulation checks; false after the message that says why.
  bool firmwareFits();
  void collectPackageFiles();
  UpdateOutcome upload();
  std::wstring text(uint16_t id, std::size_t length) const;

  // --- the worker (UploadWorker.cpp)
  void uploadThread();
  bool uploadPass();
  bool loadMainFirmware();
  bool sendFolderPackage();
  bool sendFileList(const FileList& list, uint32_t stage, uint16_t statusId);
  void waitUntilDeviceFree();
  bool sendLegacyFiles();
  bool sendLegacyFile(FileSlot slot, const wchar_t* deviceName, uint32_t stage, uint16_t statusId,
                      uint32_t waitMs);
  bool updateSecondaryFirmware();
  bool sendFileWithRetry(const std::wstring& path, const std::wstring& deviceName);
  bool updateBrailleProcessor();
  bool updateUsbProcessor();
  bool sendBrailleTable(const std::wstring& path);
  void enterStage(uint32_t stage, uint16_t statusId);
  bool cancelled() const { return !continue_; }

  // --- progress (UploadProgressReport.cpp)
  void reportProgress(uint64_t totalBytes, uint64_t doneBytes, uint64_t doneInFile);
  uint64_t packageTotal() const;
  void showShare(uint64_t part, uint64_t whole);

  UpdaterUi& ui_;
  FolderSettings& settings_;
  DeviceSearch search_;
  // The chosen display, owned by run()'s device list; set before the worker starts.
  QrCom::QuorlinDevice* device_ = nullptr;
  uint32_t stage_ = 0;  // the worker's current stage
  bool commandLine_ = false;
  std::wstring folder_;
  std::wstring firmwareModelCode_;
  UploadWitness* witness_ = nullptr;
  PackageFiles package_;
  uint64_t total_ = 0;  // what the percentage is based on; 0 until first computed
  uint64_t done_ = 0;   // bytes of finished steps
  std::atomic<bool> continue_{true};
  std::thread worker_;
};

}  // namespace QrApp
