#pragma once

// What the tests of the update controller and its worker run against: a user interface that
// answers from a script and records what it was shown, and a display whose operations can be
// faked while its identity comes from an emulated display on an in-process COM port or on the
// emulated USB-HID bus.

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
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

using Texts = std::vector<std::wstring>;
inline const Texts kUpdateDone{L"Sending firmware data complete."};
inline const Texts kUpdateFailed{L"Error during sending firmware data. File transfer aborted. "};

// The user, and where the last folder is stored.
class RecordingUi : public QrApp::UpdaterUi,
                    public QrApp::UploadProgress,
                    public QrApp::FolderSettings {
 public:
  // --- scripted answers (set before the run): `retries` answers to the retry question before
  // the first Cancel; the user presses Cancel once the worker has asked `cancelAtRetryQuestion`
  // retry questions in a run (0: never).
  bool yes = true;
  int selection = 0, retries = 1000, cancelAtRetryQuestion = 0;
  std::optional<std::wstring> folder, storedFolder;

  // --- what the user was shown (`messages`: those during the upload included), the settings'
  // use
  Texts questions, messages, statuses, folderWrites;
  std::vector<Texts> selections;
  std::vector<std::optional<std::wstring>> folderQuestions;
  std::vector<unsigned> percents;

  void showMessage(const std::wstring& text, QrApp::MessageKind) override {
    record(messages, text);
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
  std::optional<std::wstring> readLastFolder() override { return storedFolder; }
  void writeLastFolder(const std::wstring& chosen) override { folderWrites.push_back(chosen); }
  QrApp::UploadProgress& uploadProgress() override { return *this; }

  int showUploadDialog(const std::wstring&, QrCom::UploadProcessDialogNotifier& notifier) override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return result_.has_value() || cancelPressed_; });
    if (result_) return *result_;
    lock.unlock();
    notifier.onCancel();
    lock.lock();
    closed_ = true;
    changed_.notify_all();
    return -1;
  }
  void setStatus(const std::wstring& text) override { record(statuses, text); }
  void setPercent(unsigned percent) override { record(percents, percent); }
  bool askRetry() override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_) return false;
    if (++retryQuestions_ == cancelAtRetryQuestion) {
      // Cancel while the question is open; the worker gets its answer once the cancel is done.
      lock.unlock();
      pressCancel();
      lock.lock();
    }
    return retries-- > 0;
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
    cancelPressed_ = closed_ = false;
    retryQuestions_ = 0;
  }

 private:
  template <typename T>
  void record(std::vector<T>& into, const T& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    into.push_back(value);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<int> result_;
  bool cancelPressed_ = false, closed_ = false;
  int retryQuestions_ = 0;
};

// The calls a ScriptedDevice was asked to do; it outlives the device.
struct CallLog {
  std::mutex mutex;
  Texts entries;
};

// A display on COM port `number`, or on the USB-HID interface `hidPath`, of an emulated display.
// Every operation the worker calls is logged in the order called; those named in `faked` do not
// reach the display and succeed, unless `failures` makes them fail.
class ScriptedDevice : public QrCom::QuorlinDevice {
 public:
  template <typename Link>
  ScriptedDevice(Link link, const std::set<std::string>& faked, CallLog& log)
      : QuorlinDevice(link), faked_(faked), log_(log) {}

  // How many calls of an operation fail with ErrorInProtocolException, faked or not.
  std::map<std::string, int> failures;
  std::optional<std::wstring> serialNumber;  // instead of the display's; "!": it cannot tell
  std::set<int> extraServices;
  bool receiveFileCancels = false;
  QrCom::BrailleTablesNames tableNames;
  uint64_t firmwareBytes = 0;  // the progress the faked loadFirmware reports
  int pollsUntilAvailable = 1;
  std::function<void()> whenPolled;  // at each isAvailable

  bool isServiceSupported(int serviceId) const override {
    return extraServices.count(serviceId) > 0 || QuorlinDevice::isServiceSupported(serviceId);
  }
  std::wstring getSerialNumber() const override {
    if (serialNumber == L"!") throw QrCom::LostConnectionException(L"scripted");
    return serialNumber ? *serialNumber : QuorlinDevice::getSerialNumber();
  }
  void loadFirmware(const std::wstring& path, QrCom::FirmwareUploadProgressSink* sink) override {
    if (!fake("loadFirmware", L" " + path)) return QuorlinDevice::loadFirmware(path, sink);
    sink->onProgress(this, path, 1, 0, firmwareBytes, firmwareBytes, firmwareBytes / 2, 0);
    sink->onProgress(this, path, 1, 0, firmwareBytes, firmwareBytes, firmwareBytes, 0);
  }
  void updateDeviceProperties() override {
    if (!fake("updateDeviceProperties")) QuorlinDevice::updateDeviceProperties();
  }
  void receiveFile(const std::wstring& source, const std::wstring& target, int32_t number,
                   uint8_t attribute, QrCom::FileTransferSink* sink) override {
    if (!fake("receiveFile", L" " + target)) {
      return QuorlinDevice::receiveFile(source, target, number, attribute, sink);
    }
    EXPECT_EQ(attribute, 1) << target;  // the attribute every file of a package goes with
    if (receiveFileCancels) throw QrCom::TransmissionCanceledByUserException(L"scripted");
    const uint64_t size = std::filesystem::file_size(toFsPath(source));
    sink->onTransferProgress(this, target, 1, 0, size, size, size, size);
  }
  bool isAvailable() override {
    fake("isAvailable");
    if (whenPolled) whenPolled();
    return pollsUntilAvailable-- <= 1;
  }
  void block() override { fake("block"); }
  void getBrailleTablesNames(QrCom::BrailleTablesNames& names) override {
    if (!fake("getBrailleTablesNames")) return QuorlinDevice::getBrailleTablesNames(names);
    names = tableNames;
  }
  void receiveBrailleTable(const uint8_t (&table)[256], const std::wstring& name, int slot,
                           bool backwards) override {
    if (!fake("receiveBrailleTable", L" " + name + L" " + std::to_wstring(slot))) {
      QuorlinDevice::receiveBrailleTable(table, name, slot, backwards);
    }
  }
  void activateBrailleTable(uint8_t slot) override {
    if (!fake("activateBrailleTable", L" " + std::to_wstring(slot))) {
      QuorlinDevice::activateBrailleTable(slot);
    }
  }
  void loadBrailleFirmware(const std::wstring& source,
                           QrCom::SecondaryFirmwareUploadProgressSink* sink) override {
    if (!fake("loadBrailleFirmware")) return QuorlinDevice::loadBrailleFirmware(source, sink);
    sink->onSecondaryProgress(this, 0, source, 50);
  }
  void loadUsbFirmware(const std::wstring& source,
                       QrCom::SecondaryFirmwareUploadProgressSink* sink) override {
    if (!fake("loadUsbFirmware")) return QuorlinDevice::loadUsbFirmware(source, sink);
    sink->onSecondaryProgress(this, 1, source, 100);
  }
  void loadBtFirmware(const std::wstring& path, QrCom::FirmwareUploadProgressSink* sink) override {
    if (!fake("loadBtFirmware")) QuorlinDevice::loadBtFirmware(path, sink);
  }
  bool restartSystem(bool normalMode) override {
    return fake("restartSystem") || QuorlinDevice::restartSystem(normalMode);
  }
  void cancelTransfer() override {
    fake("cancelTransfer");
    QuorlinDevice::cancelTransfer();
  }

 private:
  // Logs the call and fails it as scripted; true when it is faked.
  bool fake(const char* operation, const std::wstring& detail = L"") {
    {
      std::lock_guard<std::mutex> lock(log_.mutex);
      log_.entries.push_back(std::wstring(operation, operation + std::strlen(operation)) + detail);
    }
    const auto failure = failures.find(operation);
    if (failure != failures.end() && failure->second-- > 0) {
      throw QrCom::ErrorInProtocolException(L"scripted");
    }
    return faked_.count(operation) > 0;
  }

  const std::set<std::string> faked_;
  CallLog& log_;
};

// Whole runs of the controller against emulated displays on COM ports 1, 2, ... or on the
// emulated USB-HID bus, in English.
class UpdateRun : public ::testing::Test {
 protected:
  // A display on the next COM port.
  QrEmu::Display& attach(uint8_t modelId, uint16_t version, QrEmu::DisplayIdentity identity = {}) {
    displays.push_back(QrEmu::makeDisplay(modelId, version, identity));
    ports.attach(static_cast<int>(displays.size()), *displays.back());
    return *displays.back();
  }
  // A display on the emulated USB-HID bus.
  QrEmu::Display& attachHid(uint8_t modelId, uint16_t version) {
    displays.push_back(QrEmu::makeDisplay(modelId, version));
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
    QrApp::FirmwareUploadControler controller(ui, ui, [this](QrCom::DeviceList& list) {
      calls.clear();
      for (const auto& display : displays) {
        CallLog& log = calls.emplace_back();
        // A display that does not identify itself is not found, as in the program's search.
        try {
          auto device =
              onHid.count(display.get()) > 0
                  ? std::make_unique<ScriptedDevice>(hidBus->pathOf(*display), faked, log)
                  : std::make_unique<ScriptedDevice>(static_cast<int>(calls.size()), faked, log);
          if (configure) configure(*device);
          list.insertSorted(std::move(device));
        } catch (const QrCom::QrException&) {
        }
      }
    });
    return QrApp::updateFromCommandLine(controller, commandLine);
  }

  // How many calls of the last run to the display begin with `prefix`.
  size_t count(const std::wstring& prefix, size_t device = 0) {
    std::lock_guard<std::mutex> lock(calls.at(device).mutex);
    size_t found = 0;
    for (const std::wstring& entry : calls[device].entries) found += entry.rfind(prefix, 0) == 0;
    return found;
  }
  const Texts& log() const { return calls.at(0).entries; }

  ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts ports{&*clock};
  std::vector<std::unique_ptr<QrEmu::Display>> displays;
  std::unique_ptr<QrEmu::EmulatedHidBus> hidBus;  // made with the first display on it
  std::set<const QrEmu::Display*> onHid;
  // Every operation that changes a display, unless the test says otherwise.
  std::set<std::string> faked = {"loadFirmware",        "updateDeviceProperties",
                                 "receiveFile",         "getBrailleTablesNames",
                                 "receiveBrailleTable", "activateBrailleTable",
                                 "loadBrailleFirmware", "loadUsbFirmware",
                                 "loadBtFirmware",      "restartSystem"};
  std::function<void(ScriptedDevice&)> configure;
  std::deque<CallLog> calls;  // one per display, of the last run
  TempDir folder;
  RecordingUi ui;
};

}  // namespace QrTest
