#include "tests/support/ScriptedHid.h"

#include <algorithm>

namespace QrTest {

namespace {

class ScriptedHidDevice : public QrCom::HidDevice {
 public:
  explicit ScriptedHidDevice(std::shared_ptr<ScriptedHid> device) : device_(std::move(device)) {}
  std::optional<QrCom::HidCapabilities> capabilities() override { return device_->capabilities; }
  int readReport(uint8_t* buffer, uint32_t capacity) override {
    return device_->readReport(buffer, capacity);
  }
  void cancelRead() override { device_->cancelRead(); }
  WriteOutcome writeReport(const uint8_t* report, uint32_t length) override {
    return device_->writeReport(report, length);
  }
  bool setOutputReport(const uint8_t* report, uint32_t length) override {
    return device_->setOutputReport(report, length);
  }
  bool flush() override {
    device_->flush();
    return true;
  }
  bool setInputBufferCount(uint32_t) override { return true; }
  bool waitForInput(QrCom::QrEvent& arrived, uint32_t milliseconds) override {
    return device_->waitForInput(arrived, milliseconds);
  }

 private:
  std::shared_ptr<ScriptedHid> device_;
};

}  // namespace

ScriptedHid::ScriptedHid(VirtualClock& clock, QrCom::HidCapabilities capabilities)
    : capabilities(capabilities), clock_(clock) {}

void ScriptedHid::deliver(const Bytes& report) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    input_.push_back(report);
  }
  changed_.notify_all();
}

void ScriptedHid::setResponder(Responder responder) {
  std::lock_guard<std::mutex> guard(mutex_);
  responder_ = std::move(responder);
}

std::vector<ScriptedHid::Report> ScriptedHid::sent() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return sent_;
}

int ScriptedHid::readReport(uint8_t* buffer, uint32_t capacity) {
  std::unique_lock<std::mutex> guard(mutex_);
  readerWaiting_ = true;
  changed_.notify_all();
  changed_.wait(guard, [this] { return cancelled_ || !input_.empty(); });
  readerWaiting_ = false;
  if (cancelled_) return 0;
  const Bytes report = input_.front();
  input_.pop_front();
  const auto count = static_cast<uint32_t>(std::min<size_t>(report.size(), capacity));
  std::copy(report.begin(), report.begin() + count, buffer);
  return static_cast<int>(count);
}

void ScriptedHid::opened() {
  std::lock_guard<std::mutex> guard(mutex_);
  cancelled_ = false;
}

void ScriptedHid::cancelRead() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

QrCom::HidDevice::WriteOutcome ScriptedHid::writeReport(const uint8_t* report, uint32_t length) {
  Responder responder;
  const Bytes bytes(report, report + length);
  {
    std::lock_guard<std::mutex> guard(mutex_);
    sent_.push_back({Report::Interrupt, bytes});
    responder = responder_;
  }
  if (responder) responder(bytes, *this);
  return writeOutcome;
}

bool ScriptedHid::setOutputReport(const uint8_t* report, uint32_t length) {
  std::lock_guard<std::mutex> guard(mutex_);
  sent_.push_back({Report::Control, Bytes(report, report + length)});
  return !refuseOutputReports;
}

bool ScriptedHid::waitForInput(QrCom::QrEvent& arrived, uint32_t milliseconds) {
  {
    // Every scripted report must have reached the port before silence may count.
    std::unique_lock<std::mutex> guard(mutex_);
    changed_.wait(guard, [this] { return cancelled_ || (input_.empty() && readerWaiting_); });
  }
  if (arrived.wait(0)) return true;
  clock_.advance(milliseconds);
  return false;
}

ScriptedHidBus::ScriptedHidBus() : previous_(QrCom::installHidBus(this)) {}

ScriptedHidBus::~ScriptedHidBus() {
  QrCom::installHidBus(previous_);
}

void ScriptedHidBus::attach(const std::wstring& path, std::shared_ptr<ScriptedHid> device) {
  std::lock_guard<std::mutex> guard(mutex_);
  devices_.emplace_back(path, std::move(device));
}

void ScriptedHidBus::detach(const std::wstring& path) {
  std::lock_guard<std::mutex> guard(mutex_);
  devices_.erase(std::remove_if(devices_.begin(), devices_.end(),
                                [&](const auto& entry) { return entry.first == path; }),
                 devices_.end());
}

void ScriptedHidBus::deny(const std::wstring& path, int times) {
  std::lock_guard<std::mutex> guard(mutex_);
  denials_[path] = times;
}

void ScriptedHidBus::scriptListings(std::vector<std::vector<std::wstring>> listings) {
  std::lock_guard<std::mutex> guard(mutex_);
  scripted_.assign(listings.begin(), listings.end());
}

std::vector<std::wstring> ScriptedHidBus::interfacePaths() {
  std::lock_guard<std::mutex> guard(mutex_);
  ++listings_;
  if (!scripted_.empty()) {
    std::vector<std::wstring> listing = scripted_.front();
    if (scripted_.size() > 1) scripted_.pop_front();
    return listing;
  }
  std::vector<std::wstring> paths;
  for (const auto& entry : devices_) paths.push_back(entry.first);
  return paths;
}

QrCom::HidBus::Opened ScriptedHidBus::open(const std::wstring& path) {
  std::lock_guard<std::mutex> guard(mutex_);
  ++opens_;
  auto denied = denials_.find(path);
  if (denied != denials_.end() && denied->second > 0) {
    --denied->second;
    return {nullptr, OpenFailure::Denied};
  }
  for (const auto& entry : devices_) {
    if (entry.first == path) {
      entry.second->opened();
      return {std::make_unique<ScriptedHidDevice>(entry.second), OpenFailure::None};
    }
  }
  return {nullptr, OpenFailure::Other};
}

}  // namespace QrTest
