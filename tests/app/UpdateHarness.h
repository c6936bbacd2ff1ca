#pragma once

// What the tests of the update controller and its worker run against: a user interface that
// answers from a script and records what it was shown, and a display whose operations can be
// faked while its identity comes from an emulated display on a COM port or on USB-HID.

#include <gtest/gtest.h>

#include <algorithm>
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
  // Scripted: `retries` answers Retry before the first Cancel; `cancelAtRetry` presses Cancel
  // while the next retry question is open.
  bool yes = true, cancelAtRetry = false;
  int selection = 0, retries = 1000;
  std::optional<std::wstring> folder, storedFolder;
  // `asked`: the questions, the devices offered, "folder? " with the one offered, and "stored "
  // with the one stored; `messages`: those during the upload included.
  Texts asked, messages, statuses;
  std::vector<unsigned> percents;

  // The worker's reports come while the test waits for the run: they need no lock.
  void showMessage(const std::wstring& text, QrApp::MessageKind) override {
    messages.push_back(text);
  }
  bool askYesNo(const std::wstring& question) override {
    asked.push_back(question);
    return yes;
  }
  int selectDevice(const std::vector<std::wstring>& descriptions) override {
    asked.insert(asked.end(), descriptions.begin(), descriptions.end());
    return selection;
  }
  std::optional<std::wstring> chooseFolder(const std::optional<std::wstring>& initial) override {
    asked.push_back(L"folder? " + initial.value_or(L""));
    return folder;
  }
  std::optional<std::wstring> readLastFolder() override { return storedFolder; }
  void writeLastFolder(const std::wstring& chosen) override {
    asked.push_back(L"stored " + chosen);
  }
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
  void setStatus(const std::wstring& text) override { statuses.push_back(text); }
  void setPercent(unsigned percent) override { percents.push_back(percent); }
  bool askRetry() override {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_) return false;
    if (std::exchange(cancelAtRetry, false)) {
      lock.unlock();
      pressCancel();  // the worker gets its answer once the cancel is done
      lock.lock();
    }
    return retries-- > 0;
  }
  void end(int result) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!result_ && !closed_) result_ = result;
    changed_.notify_all();
  }

  // Cancel in the progress dialog, from the worker's thread; returns once the dialog has closed.
  void pressCancel() {
    std::unique_lock<std::mutex> lock(mutex_);
    cancelPressed_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return closed_; });
  }
  void newDialog() {
    std::lock_guard<std::mutex> lock(mutex_);
    result_.reset();
    cancelPressed_ = closed_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<int> result_;
  bool cancelPressed_ = false, closed_ = false;
};

// A display of an emulated display on a COM port or a USB-HID path. Every operation the worker
// calls is logged in order; those in `faked` do not reach the display and succeed, unless
// `failures` makes them fail. The calls come one at a time: the controller's thread makes them
// only before the worker starts or while a cancel holds it.
class ScriptedDevice : public QrCom::QuorlinDevice {
 public:
  template <typename Link>
  ScriptedDevice(Link link, const std::set<std::string>& faked, Texts& log)
      : QuorlinDevice(link), faked_(faked), log_(log) {}

  // How many calls of an operation fail with ErrorInProtocolException, faked or not.
  std::map<std::string, int> failures;
  std::optional<std::wstring> serialNumber;  // instead of the display's; "!": it cannot tell
  std::set<int> extraServices;
  bool receiveFileCancels = false;
  QrCom::BrailleTablesNames tableNames;
  int pollsUntilAvailable = 1;
  std::function<void()> whenPolled;

  bool isServiceSupported(int serviceId) const override {
    return extraServices.count(serviceId) > 0 || QuorlinDevice::isServiceSupported(serviceId);
  }
  std::wstring getSerialNumber() const override {
    if (serialNumber == L"!") throw QrCom::LostConnectionException(L"scripted");
    return serialNumber ? *serialNumber : QuorlinDevice::getSerialNumber();
  }
  void loadFirmware(const std::wstring& path, QrCom::FirmwareUploadProgressSink* sink) override {
    if (!fake("loadFirmware", L" " + path)) return QuorlinDevice::loadFirmware(path, sink);
    sink->onProgress(this, path, 1, 0, 1000, 1000, 500, 0);
    sink->onProgress(this, path, 1, 0, 1000, 1000, 1000, 0);
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
    log_.push_back(std::wstring(operation, operation + std::strlen(operation)) + detail);
    const auto failure = failures.find(operation);
    if (failure != failures.end() && failure->second-- > 0) {
      throw QrCom::ErrorInProtocolException(L"scripted");
    }
    return faked_.count(operation) > 0;
  }

  const std::set<std::string>& faked_;
  Texts& log_;
};

// Whole runs of the controller against emulated displays on COM ports 1, 2, ... or on the
// emulated USB-HID bus, in English.
class UpdateRun : public ::testing::Test {
 protected:
  // A display on the next COM port, or on the USB-HID bus.
  QrEmu::Display& attach(uint8_t modelId, uint16_t version, QrEmu::DisplayIdentity identity = {},
                         bool hid = false) {
    displays.push_back(QrEmu::makeDisplay(modelId, version, identity));
    if (!hid) ports.attach(static_cast<int>(displays.size()), *displays.back());
    if (hid && !hidBus) hidBus = std::make_unique<QrEmu::EmulatedHidBus>(&*clock);
    if (hid) hidBus->attach(*displays.back());
    return *displays.back();
  }
  std::wstring hidPath(const QrEmu::Display& display) {
    return hidBus ? hidBus->pathOf(display) : L"";
  }
  void removeDisplays() {
    hidBus.reset();  // it refers to its displays
    displays.clear();
  }

  QrApp::UpdateOutcome run(const std::wstring& commandLine = L"") {
    ui.newDialog();
    QrApp::FirmwareUploadControler controller(ui, ui, [this](QrCom::DeviceList& list) {
      calls.clear();
      for (const auto& display : displays) {
        Texts& log = calls.emplace_back();
        const std::wstring path = hidPath(*display);
        // A display that does not identify itself is not found, as in the program's search.
        try {
          auto device = path.empty() ? std::make_unique<ScriptedDevice>(
                                           static_cast<int>(calls.size()), faked, log)
                                     : std::make_unique<ScriptedDevice>(path, faked, log);
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
    return std::count_if(calls.at(device).begin(), calls[device].end(),
                         [&](const std::wstring& entry) { return entry.rfind(prefix, 0) == 0; });
  }
  const Texts& log() const { return calls.at(0); }

  ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts ports{&*clock};
  std::vector<std::unique_ptr<QrEmu::Display>> displays;
  std::unique_ptr<QrEmu::EmulatedHidBus> hidBus;
  // Every operation that changes a display, unless the test says otherwise.
  std::set<std::string> faked = {"loadFirmware",        "updateDeviceProperties",
                                 "receiveFile",         "getBrailleTablesNames",
                                 "receiveBrailleTable", "activateBrailleTable",
                                 "loadBrailleFirmware", "loadUsbFirmware",
                                 "loadBtFirmware",      "restartSystem"};
  std::function<void(ScriptedDevice&)> configure;
  std::deque<Texts> calls;  // one per display, of the last run
  TempDir folder;
  RecordingUi ui;
};

}  // namespace QrTest
