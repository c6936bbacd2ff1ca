#include "app/FirmwareUploadControler.h"

#include <cwctype>
#include <optional>
#include <vector>

#include "app/DeviceDescription.h"
#include "app/DevicePort.h"
#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/UiLanguage.h"
#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/port/ComPorts.h"

namespace QrApp {

namespace {

constexpr int kFirmwareUploadService = 11;
constexpr int kBrailleProcessorService = 29;
constexpr int kUsbProcessorService = 30;
constexpr int kBluetoothFirmwareService = 38;
constexpr uint8_t kVantra = 84;

std::wstring lowerCase(std::wstring text) {
  for (wchar_t& character : text) character = static_cast<wchar_t>(std::towlower(character));
  return text;
}

void diagnose(const wchar_t* what, const QrCom::QrException& failure) {
  QrCom::debugOutput(std::wstring(what) + L": " + failure.getMessage() + L"\n");
}

// Joins the worker when the run ends, whichever way it ends.
class JoinOnExit {
 public:
  explicit JoinOnExit(std::thread& thread) : thread_(thread) {}
  ~JoinOnExit() {
    if (thread_.joinable()) thread_.join();
  }
  JoinOnExit(const JoinOnExit&) = delete;
  JoinOnExit& operator=(const JoinOnExit&) = delete;

 private:
  std::thread& thread_;
};

}  // namespace

QrCom::SearchRequest updaterSearchRequest(bool usb) {
  QrCom::SearchRequest request;
  request.linkKinds = {QrCom::SearchRequest::kComPorts};
  if (usb) request.linkKinds.insert(QrCom::SearchRequest::kHidInterfaces);
  request.comPortNumbers = QrCom::enumerateComPorts();
  request.serviceFilter = {kFirmwareUploadService};
  return request;
}

DeviceSearch parallelSearch(bool usb) {
  return [usb](QrCom::DeviceList& devices) { devices.search(updaterSearchRequest(usb)); };
}

UpdateOutcome updateFromCommandLine(FirmwareUploadControler& controller,
                                    const std::wstring& commandLine) {
  controller.setCommandLine(commandLine);
  if (!controller.findFirmwareFile(commandLine)) controller.clearMainFirmware();
  return controller.run();
}

FirmwareUploadControler::FirmwareUploadControler(UpdaterUi& ui, FolderSettings& settings,
                                                 DeviceSearch search)
    : ui_(ui), settings_(settings), search_(std::move(search)) {}

FirmwareUploadControler::~FirmwareUploadControler() {
  if (worker_.joinable()) worker_.join();
}

void FirmwareUploadControler::setCommandLine(const std::wstring& commandLine) {
  commandLine_ = !commandLine.empty();
  folder_ = commandLine;
}

std::wstring FirmwareUploadControler::text(uint16_t id, std::size_t length) const {
  return loadLocalizedString(id, uiLanguage().languageId, length);
}

UpdateOutcome FirmwareUploadControler::run() {
  QrCom::DeviceList devices;
  search_(devices);
  UpdateOutcome outcome = UpdateOutcome::Declined;
  device_ = chooseDevice(devices, outcome);
  if (device_ == nullptr) return outcome;
  if (!commandLine_ && !chooseFolderAndFirmware())
    outcome = UpdateOutcome::Declined;
  else if (!firmwareFits())
    outcome = UpdateOutcome::DoesNotFit;
  else {
    if (!commandLine_) settings_.writeLastFolder(folder_);
    collectPackageFiles();
    outcome = upload();
  }
  device_ = nullptr;  // the list and its devices go now
  return outcome;
}

QrCom::QuorlinDevice* FirmwareUploadControler::chooseDevice(QrCom::DeviceList& devices,
                                                            UpdateOutcome& outcome) {
  const int count = static_cast<int>(devices.count());
  if (count == 0) {
    showNoDeviceMessage();
    outcome = UpdateOutcome::NoDevice;
    return nullptr;
  }
  outcome = UpdateOutcome::Declined;
  if (count == 1) return confirmUpdate(devices.at(0)) ? &devices.at(0) : nullptr;
  std::vector<std::wstring> descriptions;
  for (int index = 0; index < count; ++index) {
    descriptions.push_back(deviceDescription(
        deviceLabel(devices.at(index), uiLanguage().languageId), uiLanguage().languageId));
  }
  const int chosen = ui_.selectDevice(descriptions);
  return chosen >= 0 && chosen < count ? &devices.at(chosen) : nullptr;
}

bool FirmwareUploadControler::confirmUpdate(QrCom::QuorlinDevice& device) {
  const uint16_t language = uiLanguage().languageId;
  return ui_.askYesNo(confirmationQuestion(deviceLabel(device, language), language));
}

void FirmwareUploadControler::showNoDeviceMessage() {
  ui_.showMessage(text(kStrNoDevice, kCaptionLength), MessageKind::Information);
}

bool FirmwareUploadControler::chooseFolderAndFirmware() {
  const std::optional<std::wstring> chosen = ui_.chooseFolder(settings_.readLastFolder());
  if (!chosen) return false;
  folder_ = *chosen;
  bool found = false;
  if (device_->isFundoFamily()) {
    // A display that cannot tell its variant gets no firmware: the model check refuses then.
    try {
      found = findFundoFirmwareFile(folder_, device_->isBluetoothVersion());
    } catch (const QrCom::QrException& failure) {
      diagnose(L"isBluetoothVersion", failure);
    }
  } else {
    found = findFirmwareFile(folder_);
  }
  if (!found) clearMainFirmware();
  return true;
}

ModelCheck checkModel(uint8_t modelId, const std::optional<std::wstring>& serial,
                      const std::wstring& firmwareModelCode) {
  const std::wstring letters = lowerCase(serial.value_or(L"").substr(0, 3));
  const std::wstring code = lowerCase(firmwareModelCode);
  // Both sides hold at most three letters: an empty serial number fits only a package without
  // main firmware.
  const bool modelFits = QrCom::ModelTable::isFundoLine(modelId)
                             ? code == L"fnx"
                             : serial && letters == code.substr(0, 3);
  if (!modelFits) return ModelCheck::OtherModel;
  return letters == L"ob4" && modelId == kVantra ? ModelCheck::Emulation : ModelCheck::Fits;
}

bool FirmwareUploadControler::firmwareFits() {
  // A display that cannot tell its serial number cannot be checked: it is refused like one of
  // another model.
  std::optional<std::wstring> serial;
  try {
    serial = device_->getSerialNumber();
  } catch (const QrCom::QrException& failure) {
    diagnose(L"getSerialNumber", failure);
  }
  firmwareModelCode_ = lowerCase(firmwareModelCode_);
  const ModelCheck check = checkModel(device_->getModelId(), serial, firmwareModelCode_);
  if (check == ModelCheck::OtherModel) {
    ui_.showMessage(formatText(text(kStrWrongModel, kMessageLength), {serial.value_or(L"")}),
                    MessageKind::Error);
    return false;
  }
  if (device_->isFundoFamily()) {
    std::wstring version;
    try {
      version = device_->getFirmwareVersionPrefix();
    } catch (const QrCom::QrException& failure) {
      diagnose(L"getFirmwareVersionPrefix", failure);
    }
    if (version.empty() || !firmwareVersionSupportsUpdate(version)) {
      ui_.showMessage(formatText(text(kStrFundoTooOld, kMessageLength), {serial.value_or(L"")}),
                      MessageKind::Error);
      return false;
    }
  }
  if (check == ModelCheck::Emulation) {
    ui_.showMessage(text(kStrDeactivateEmulation, kMessageLength), MessageKind::Error);
    return false;
  }
  return true;
}

void FirmwareUploadControler::collectPackageFiles() {
  QrApp::collectPackageFiles(folder_, device_->getModelId(),
                             device_->isServiceSupported(kBrailleProcessorService),
                             device_->isServiceSupported(kUsbProcessorService),
                             device_->isServiceSupported(kBluetoothFirmwareService), package_);
}

UpdateOutcome FirmwareUploadControler::upload() {
  // Asked of the display before the worker starts: the worker replaces what the display knows
  // of itself while it runs.
  const std::wstring target =
      deviceDescription(deviceLabel(*device_, uiLanguage().languageId), uiLanguage().languageId);
  int result = -1;
  if (witness_) witness_->before(*device_);
  {
    JoinOnExit join(worker_);
    worker_ = std::thread(&FirmwareUploadControler::uploadThread, this);
    result = ui_.showUploadDialog(target, *this);
  }
  // Only now: the worker has let go of the display, whether it finished or was cancelled.
  if (result == 0) {
    ui_.showMessage(text(kStrUpdateComplete, kResultMessageLength), MessageKind::Information);
    if (!witness_) return UpdateOutcome::Succeeded;
    std::wstring report;
    const bool proven = witness_->after(*device_, report);
    ui_.showMessage(report, proven ? MessageKind::Information : MessageKind::Error);
    return proven ? UpdateOutcome::Succeeded : UpdateOutcome::Failed;
  }
  ui_.showMessage(text(kStrUpdateFailed, kResultMessageLength), MessageKind::Information);
  return UpdateOutcome::Failed;
}

}  // namespace QrApp
