#pragma once

// What the tests of the update controller and its worker run against: a user interface that
// answers from a script and records what it was shown, and a display whose operations can be
// faked while its identity comes from an emulated display on an in-process COM port or on the
// emulated USB-HID bus.

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "app/UiLanguage.h"
#include "app/UpdaterUi.h"
#include "emulator/Catalog.h"
#include "emulator/EmulatedComPorts.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrTest {

class RecordingUi : public QrApp::UpdaterUi, public QrApp::UploadProgress {
 public:
  struct Message {
    std::wstring text;
    QrApp::MessageKind kind;
  };

  // --- scripted answers (set before the run)
  bool yes = true;
  int selection = 0;
  std::optional<std::wstring> folder;
  std::deque<bool> retryAnswers;  // then Retry
  // The user presses Cancel once the worker has asked this many retry questions (0: never).
  int cancelAtRetryQuestion = 0;

  // --- what the user was shown
  std::vector<std::wstring> questions;
  std::vector<std::vector<std::wstring>> selections;
  std::vector<std::optional<std::wstring>> folderQuestions;
  std::vector<Message> messages;  // message boxes, those during the upload included
  std::vector<std::wstring> statuses;
  std::vector<unsigned> percents;
  int retryQuestions = 0;
  std::vector<std::wstring> dialogTargets;

  void showMessage(const std::wstring& text, QrApp::MessageKind kind) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages.push_back({text, kind});
  }
  bool askYesNo(const std::wstring& question) override {
    questions.push_back(question);
    return yes;
  }
  int selectDevice(const std::vector<std::wstring>& descriptions) override {
    selections.push_back(descriptions);
    return selection;
  }
  std::optional<std::wstring> chooseFolder(const std::optional<std::wstring>& initial) override {
    folderQuestions.push_back(initial);
    return folder;
  }
  QrApp::UploadProgress& uploadProgress() override { return *this; }

  int showUploadDialog(const std::wstring& targetDevice,
                       QrCom::UploadProcessDialogNotifier& notifier) override {
    std::unique_lock<std::mutex> lock(mutex_);
    dialogTargets.push_back(targetDevice);
    changed_.wait(lock, [&] { return result_.has_value() || cancelPressed_; });
    if (result_) return *result_;
    lock.unlock();
    notifier.onCancel();
    lock.lock();
    closed_ = true;
    changed_.notify_all();
    return -1;
  }

  void setStatus(const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_) statuses.push_back(text);
  }
  void setPercent(unsigned percent) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_) percents.push_back(percent);
  }
  bool askRetry() override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_) return false;
    ++retryQuestions;
    if (retryQuestions == cancelAtRetryQuestion) {
      // Cancel while the question is open; the worker gets its answer once the cancel is done.
      cancelPressed_ = true;
      changed_.notify_all();
      changed_.wait(lock, [&] { return closed_; });
    }
    if (retryAnswers.empty()) return true;
    const bool answer = retryAnswers.front();
    retryAnswers.pop_front();
    return answer;
  }
  void end(int result) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!result_ && !closed_) result_ = result;
    changed_.notify_all();
  }

  // The user presses the progress dialog's Cancel, from the worker's thread; it returns once the
  // dialog has closed, so the worker goes on cancelled.
  void pressCancel() {
    std::unique_lock<std::mutex> lock(mutex_);
    cancelPressed_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return closed_; });
  }

  // A new run gets a new dialog.
  void newDialog() {
    std::lock_guard<std::mutex> lock(mutex_);
    result_.reset();
    cancelPressed_ = false;
    closed_ = false;
  }

  std::vector<std::wstring> messageTexts() const {
    std::vector<std::wstring> texts;
    for (const Message& message : messages) texts.push_back(message.text);
    return texts;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<int> result_;
  bool cancelPressed_ = false;
  bool closed_ = false;
};

// The calls a ScriptedDevice was asked to do; it outlives the device.
class CallLog {
 public:
  void add(std::wstring entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(std::move(entry));
  }
  std::vector<std::wstring> entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
  }
  // How many calls begin with `prefix`.
  size_t count(const std::wstring& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t found = 0;
    for (const std::wstring& entry : entries_) found += entry.rfind(prefix, 0) == 0 ? 1 : 0;
    return found;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> entries_;
};

// A display on COM port `number`, or on the USB-HID interface `hidPath`, of an emulated display.
// Operations named in `faked` do not reach the display: they are logged and succeed, or fail as
// scripted. Every operation the worker calls is logged, faked or not, in the order called.
class ScriptedDevice : public QrCom::QuorlinDevice {
 public:
  ScriptedDevice(int number, std::set<std::string> faked, CallLog& log)
      : QuorlinDevice(number), faked_(std::move(faked)), log_(log) {}
  ScriptedDevice(const std::wstring& hidPath, std::set<std::string> faked, CallLog& log)
      : QuorlinDevice(hidPath), faked_(std::move(faked)), log_(log) {}

  // Scripted answers and failures of the faked operations.
  std::set<int> extraServices;
  // Faked operations that fail with ErrorInProtocolException.
  std::set<std::string> failing;
  bool serialNumberFails = false;
  std::optional<std::wstring> serialNumber;
  int receiveFileFailures = 0;
  bool receiveFileCancels = false;
  int brailleFailures = 0;
  int usbFailures = 0;
  bool bluetoothFails = false;
  bool firmwareFails = false;
  int tableNameFailures = 0;
  QrCom::BrailleTablesNames tableNames;
  // Progress the faked loadFirmware reports (total bytes) before it returns.
  uint64_t firmwareBytes = 0;
  std::function<void()> whenPolled;  // at each isAvailable

  bool isServiceSupported(int serviceId) const override {
    return extraServices.count(serviceId) > 0 || QuorlinDevice::isServiceSupported(serviceId);
  }
  std::wstring getSerialNumber() const override {
    if (serialNumberFails) throw QrCom::LostConnectionException(L"scripted");
    return serialNumber ? *serialNumber : QuorlinDevice::getSerialNumber();
  }
  void loadFirmware(const std::wstring& path, QrCom::FirmwareUploadProgressSink* sink) override {
    if (!run("loadFirmware", L"loadFirmware " + path)) {
      return QuorlinDevice::loadFirmware(path, sink);
    }
    if (firmwareFails) throw QrCom::LostConnectionException(L"scripted");
    sink->onProgress(this, path, 1, 0, firmwareBytes, firmwareBytes, firmwareBytes / 2, 0);
    sink->onProgress(this, path, 1, 0, firmwareBytes, firmwareBytes, firmwareBytes, 0);
  }
  void updateDeviceProperties() override {
    if (!run("updateDeviceProperties", L"updateDeviceProperties")) {
      QuorlinDevice::updateDeviceProperties();
    }
  }
  void receiveFile(const std::wstring& source, const std::wstring& target, int32_t number,
                   uint8_t attribute, QrCom::FileTransferSink* sink) override {
    if (!run("receiveFile", L"receiveFile " + target)) {
      return QuorlinDevice::receiveFile(source, target, number, attribute, sink);
    }
    if (receiveFileCancels) throw QrCom::TransmissionCanceledByUserException(L"scripted");
    if (receiveFileFailures > 0) {
      --receiveFileFailures;
      throw QrCom::ErrorInProtocolException(L"scripted");
    }
    const uint64_t size = std::filesystem::file_size(toFsPath(source));
    sink->onTransferProgress(this, target, 1, 0, size, size, size, size);
  }
  bool isAvailable() override {
    run("isAvailable", L"isAvailable");
    if (whenPolled) whenPolled();
    return pollsUntilAvailable_-- <= 1;
  }
  void block() override { run("block", L"block"); }
  void getBrailleTablesNames(QrCom::BrailleTablesNames& names) override {
    if (!run("getBrailleTablesNames", L"getBrailleTablesNames")) {
      return QuorlinDevice::getBrailleTablesNames(names);
    }
    if (tableNameFailures > 0) {
      --tableNameFailures;
      throw QrCom::ErrorInProtocolException(L"scripted");
    }
    names = tableNames;
  }
  void receiveBrailleTable(const uint8_t (&table)[256], const std::wstring& name, int slot,
                           bool searchBackwards) override {
    if (!run("receiveBrailleTable",
             L"receiveBrailleTable " + name + L" " + std::to_wstring(slot))) {
      QuorlinDevice::receiveBrailleTable(table, name, slot, searchBackwards);
    }
  }
  void activateBrailleTable(uint8_t slot) override {
    if (!run("activateBrailleTable", L"activateBrailleTable " + std::to_wstring(slot))) {
      QuorlinDevice::activateBrailleTable(slot);
    }
  }
  void loadBrailleFirmware(const std::wstring& source,
                           QrCom::SecondaryFirmwareUploadProgressSink* sink) override {
    if (!run("loadBrailleFirmware", L"loadBrailleFirmware")) {
      return QuorlinDevice::loadBrailleFirmware(source, sink);
    }
    if (brailleFailures > 0) {
      --brailleFailures;
      throw QrCom::ErrorInProtocolException(L"scripted");
    }
    sink->onSecondaryProgress(this, 0, source, 50);
  }
  void loadUsbFirmware(const std::wstring& source,
                       QrCom::SecondaryFirmwareUploadProgressSink* sink) override {
    if (!run("loadUsbFirmware", L"loadUsbFirmware")) {
      return QuorlinDevice::loadUsbFirmware(source, sink);
    }
    if (usbFailures > 0) {
      --usbFailures;
      throw QrCom::ErrorInProtocolException(L"scripted");
    }
    sink->onSecondaryProgress(this, 1, source, 100);
  }
  void loadBtFirmware(const std::wstring& path, QrCom::FirmwareUploadProgressSink* sink) override {
    if (!run("loadBtFirmware", L"loadBtFirmware")) return QuorlinDevice::loadBtFirmware(path, sink);
    if (bluetoothFails) throw QrCom::ErrorInProtocolException(L"scripted");
  }
  bool restartSystem(bool normalMode) override {
    if (!run("restartSystem", L"restartSystem")) return QuorlinDevice::restartSystem(normalMode);
    return true;
  }
  void cancelTransfer() override {
    log_.add(L"cancelTransfer");
    QuorlinDevice::cancelTransfer();
  }

  void availableAtPoll(int poll) { pollsUntilAvailable_ = poll; }

 private:
  // Logs the call; true when it is faked.
  bool run(const char* operation, const std::wstring& entry) {
    log_.add(entry);
    if (failing.count(operation) > 0) throw QrCom::ErrorInProtocolException(L"scripted");
    return faked_.count(operation) > 0;
  }

  std::set<std::string> faked_;
  CallLog& log_;
  int pollsUntilAvailable_ = 1;
};

class MemorySettings : public QrApp::FolderSettings {
 public:
  std::optional<std::wstring> stored;
  int reads = 0;
  std::vector<std::wstring> writes;

  std::optional<std::wstring> readLastFolder() override {
    ++reads;
    return stored;
  }
  void writeLastFolder(const std::wstring& folder) override { writes.push_back(folder); }
};

// Every operation that changes a display, faked.
inline const std::set<std::string> kFakeUpload = {
    "loadFirmware",        "updateDeviceProperties", "receiveFile",         "getBrailleTablesNames",
    "receiveBrailleTable", "activateBrailleTable",   "loadBrailleFirmware", "loadUsbFirmware",
    "loadBtFirmware",      "restartSystem"};

// Whole runs of the controller against emulated displays on COM ports 1, 2, ... or on the
// emulated USB-HID bus, in English.
class UpdateRun : public ::testing::Test {
 protected:
  UpdateRun() { QrApp::uiLanguage().languageId = QrApp::kLanguageEnglish; }
  ~UpdateRun() override { QrApp::uiLanguage().languageId = QrApp::kLanguageEnglish; }

  // A display on the next COM port.
  QrEmu::Display& attach(uint8_t modelId, uint16_t version, QrEmu::DisplayIdentity identity = {}) {
    displays.push_back(QrEmu::makeDisplay(modelId, version, identity));
    ports.attach(static_cast<int>(displays.size()), *displays.back());
    return *displays.back();
  }
  // A display on the emulated USB-HID bus.
  QrEmu::Display& attachHid(uint8_t modelId, uint16_t version,
                            QrEmu::DisplayIdentity identity = {}) {
    displays.push_back(QrEmu::makeDisplay(modelId, version, identity));
    if (!hidBus) hidBus = std::make_unique<QrEmu::EmulatedHidBus>(&*clock);
    hidBus->attach(*displays.back());
    onHid.insert(displays.back().get());
    return *displays.back();
  }
  // Takes every display away (the bus goes with them: it refers to its displays).
  void removeDisplays() {
    hidBus.reset();
    onHid.clear();
    displays.clear();
  }

  QrApp::UpdateOutcome run(const std::wstring& commandLine = L"") {
    ui.newDialog();
    QrApp::FirmwareUploadControler controller(ui, settings, [this](QrCom::DeviceList& list) {
      calls.clear();
      for (size_t number = 1; number <= displays.size(); ++number) calls.emplace_back();
      for (size_t number = 1; number <= displays.size(); ++number) {
        // A display that does not identify itself is not found, as in the program's search.
        std::unique_ptr<ScriptedDevice> device;
        const QrEmu::Display& display = *displays[number - 1];
        try {
          device = onHid.count(&display) > 0
                       ? std::make_unique<ScriptedDevice>(hidBus->pathOf(display), faked,
                                                          calls[number - 1])
                       : std::make_unique<ScriptedDevice>(static_cast<int>(number), faked,
                                                          calls[number - 1]);
        } catch (const QrCom::QrException&) {
          continue;
        }
        if (configure) configure(*device);
        list.insertSorted(std::move(device));
      }
    });
    return QrApp::updateFromCommandLine(controller, commandLine);
  }

  bool loaded(size_t device = 0) const { return calls.at(device).count(L"loadFirmware") > 0; }
  std::vector<std::wstring> log(size_t device = 0) const { return calls.at(device).entries(); }

  ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts ports{&*clock};
  std::vector<std::unique_ptr<QrEmu::Display>> displays;
  std::unique_ptr<QrEmu::EmulatedHidBus> hidBus;  // made with the first display on it
  std::set<const QrEmu::Display*> onHid;
  std::set<std::string> faked = kFakeUpload;
  std::function<void(ScriptedDevice&)> configure;
  std::deque<CallLog> calls;  // one per display, of the last run
  TempDir folder;
  RecordingUi ui;
  MemorySettings settings;
};

}  // namespace QrTest
