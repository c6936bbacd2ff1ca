#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/protocol/DeviceMaintenanceStrategy.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/FileTransferStrategy.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

// Strategies that record what the device asks of them, for tests of the device's gateway.
// `during` runs inside every recorded operation, with the port open.
namespace QrTest {

class CallLog {
 public:
  void add(const std::wstring& call) {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.push_back(call);
  }
  std::vector<std::wstring> calls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return calls_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> calls_;
};

class FakeMaintenance : public QrCom::NoDeviceMaintenanceStrategy {
 public:
  explicit FakeMaintenance(std::set<int> services = {}) : services_(std::move(services)) {}

  bool isMassStorageProtocolActive(QrCom::SerialPort&) override {
    run(L"active");
    return true;
  }
  void lockMassStorageProtocol(QrCom::SerialPort&) override { run(L"lock"); }
  void releaseMassStorageProtocol(QrCom::SerialPort&) override { run(L"release"); }
  void deleteFlash(QrCom::SerialPort&) override { run(L"deleteFlash"); }
  void doFactoryReset(QrCom::SerialPort&) override { run(L"doFactoryReset"); }
  void setRealTimeClock(QrCom::SerialPort&, const QrCom::DeviceDateTime& time) override {
    clockSet = time;
    run(L"setRealTimeClock");
    if (failClock) throw QrCom::ErrorOnSettingDateTime(L"FakeMaintenance -- clock");
  }
  bool supportsService(int serviceId) const override { return services_.count(serviceId) > 0; }

  CallLog log;
  std::function<void()> during;
  QrCom::DeviceDateTime clockSet;
  bool failClock = false;

 private:
  void run(const wchar_t* call) {
    log.add(call);
    if (during) during();
  }
  std::set<int> services_;
};

class FakeFileTransfer : public QrCom::NoFileTransferStrategy {
 public:
  explicit FakeFileTransfer(std::set<int> services = {}) : services_(std::move(services)) {}

  void receiveFile(QrCom::SerialPort&, QrCom::QuorlinDevice*, const std::wstring& source,
                   const std::wstring& target, int32_t, uint8_t,
                   QrCom::FileTransferSink*) override {
    run(L"receiveFile " + source + L" " + target);
  }
  void changeDirectory(QrCom::SerialPort&, const std::wstring& path) override {
    run(L"changeDirectory " + path);
  }
  uint32_t sendFileList(QrCom::SerialPort&, std::vector<QrCom::DirectoryEntry>& list) override {
    run(L"sendFileList");
    return static_cast<uint32_t>(list.size());
  }
  void deleteFile(QrCom::SerialPort&, const std::wstring& name) override {
    run(L"deleteFile " + name);
  }
  void cancel() override { log.add(L"cancel"); }
  bool supportsService(int serviceId) const override { return services_.count(serviceId) > 0; }

  CallLog log;
  std::function<void()> during;
  std::wstring failOn;  // the call that throws ErrorOnDeviceException

 private:
  void run(const std::wstring& call) {
    log.add(call);
    if (during) during();
    if (!failOn.empty() && call.rfind(failOn, 0) == 0) {
      throw QrCom::ErrorOnDeviceException(L"FakeFileTransfer -- " + call);
    }
  }
  std::set<int> services_;
};

class FakeFirmwareUpload : public QrCom::NoFirmwareUploadStrategy {
 public:
  void loadFirmware(QrCom::SerialPort&, const std::wstring& path,
                    QrCom::FirmwareUploadProgressSink*) override {
    log.add(L"loadFirmware " + path);
    if (during) during();
  }
  void executeBrailleFirmwareUpdate(QrCom::SerialPort&, const std::wstring& fileName,
                                    QrCom::SecondaryFirmwareUploadProgressSink* sink) override {
    execute(L"executeBrailleFirmwareUpdate " + fileName, sink);
  }
  void executeUsbFirmwareUpdate(QrCom::SerialPort&, const std::wstring& fileName,
                                QrCom::SecondaryFirmwareUploadProgressSink* sink) override {
    execute(L"executeUsbFirmwareUpdate " + fileName, sink);
  }
  void cancel() override { log.add(L"cancel"); }

  CallLog log;
  std::function<void()> during;
  bool fail = false;
  QrCom::SecondaryFirmwareUploadProgressSink* sinkSeen = nullptr;

 private:
  void execute(const std::wstring& call, QrCom::SecondaryFirmwareUploadProgressSink* sink) {
    log.add(call);
    sinkSeen = sink;
    if (fail) throw QrCom::NoHexFileFoundException(L"FakeFirmwareUpload -- " + call);
  }
};

// A monitor mode that holds the port until it is asked to stop, like a real receive loop.
class BlockingMonitor : public QrCom::NoMonitorModeStrategy {
 public:
  void startMonitorMode(QrCom::SerialPort& port, QrCom::MonitorSink*,
                        QrCom::QuorlinDevice*) override {
    std::unique_lock<std::mutex> lock(mutex_);
    ports_.push_back(&port);
    active_ = true;
    stop_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return stop_; });
    active_ = false;
    changed_.notify_all();
  }
  int stopMonitorMode() override {
    if (onStop) onStop();
    std::unique_lock<std::mutex> lock(mutex_);
    if (!active_) return 0;
    stop_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !active_; });
    return 1;
  }
  void requestStop() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_) stop_ = true;
    changed_.notify_all();
  }
  bool isActive() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return active_;
  }
  void stopGlint(QrCom::SerialPort&) override { glintStopped = true; }
  bool supportsService(int serviceId) const override { return serviceId == 1; }

  // Waits until the loop has been entered `runs` times and is running.
  bool waitForRun(size_t runs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10),
                             [&] { return ports_.size() >= runs && active_; });
  }
  std::vector<QrCom::SerialPort*> ports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ports_;
  }

  std::function<void()> onStop;
  bool glintStopped = false;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<QrCom::SerialPort*> ports_;
  bool active_ = false;
  bool stop_ = false;
};

class RecordingMonitorSink : public QrCom::MonitorSink {
 public:
  void onDisplay(QrCom::QuorlinDevice*, const uint8_t*, int, bool) override {}
  void onKey(QrCom::QuorlinDevice*, uint8_t) override {}
  void onMonitorModeEnded(QrCom::QuorlinDevice* device) override { ended = device; }

  QrCom::QuorlinDevice* ended = nullptr;
};

// Blocks the thread that calls wait() until release() is called; tells when one is waiting.
class Latch {
 public:
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
  }
  bool waitUntilBlocked() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return waiting_; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool waiting_ = false;
  bool released_ = false;
};

}  // namespace QrTest
