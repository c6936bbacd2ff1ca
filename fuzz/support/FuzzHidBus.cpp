#include "fuzz/support/FuzzHidBus.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>

namespace QrFuzz {

namespace {

const wchar_t kGuid[] = L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// One open device: it hands the reader thread a report only while the host waits for input and
// lets the wait end once the reader has passed the report on to the port.
class FuzzHidDevice : public QrCom::HidDevice {
 public:
  FuzzHidDevice(FuzzHidBus& bus, FuzzClock& clock, std::optional<QrCom::HidCapabilities> caps,
                uint32_t failWritesFrom)
      : bus_(bus), clock_(clock), capabilities_(caps), failWritesFrom_(failWritesFrom) {}

  std::optional<QrCom::HidCapabilities> capabilities() override { return capabilities_; }

  int readReport(uint8_t* buffer, uint32_t capacity) override {
    std::unique_lock<std::mutex> guard(mutex_);
    readerWaiting_ = true;
    changed_.notify_all();
    changed_.wait(guard, [this] { return cancelled_ || offered_; });
    readerWaiting_ = false;
    if (cancelled_) return 0;
    offered_ = false;
    const auto count = static_cast<uint32_t>(std::min<size_t>(report_.size(), capacity));
    std::copy(report_.begin(), report_.begin() + count, buffer);
    return static_cast<int>(count);
  }

  void cancelRead() override {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      cancelled_ = true;
    }
    changed_.notify_all();
  }

  WriteOutcome writeReport(const uint8_t*, uint32_t) override {
    ++writes_;
    return failWritesFrom_ != 0 && writes_ >= failWritesFrom_ ? WriteOutcome::Failed
                                                              : WriteOutcome::Written;
  }
  bool setOutputReport(const uint8_t*, uint32_t) override { return true; }
  bool flush() override { return true; }
  bool setInputBufferCount(uint32_t) override { return true; }

  bool waitForInput(QrCom::QrEvent& arrived, uint32_t milliseconds) override {
    std::vector<uint8_t> report;
    if (!capabilities_ || !bus_.nextReport(report, capabilities_->inputReportLength)) {
      clock_.advance(milliseconds);
      return arrived.wait(0);
    }
    clock_.advance(1);
    std::unique_lock<std::mutex> guard(mutex_);
    report_ = std::move(report);
    offered_ = true;
    changed_.notify_all();
    changed_.wait(guard, [this] { return cancelled_ || (!offered_ && readerWaiting_); });
    return arrived.wait(0);
  }

 private:
  FuzzHidBus& bus_;
  FuzzClock& clock_;
  const std::optional<QrCom::HidCapabilities> capabilities_;
  const uint32_t failWritesFrom_;
  uint32_t writes_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint8_t> report_;
  bool offered_ = false;
  bool readerWaiting_ = false;
  bool cancelled_ = false;
};

}  // namespace

const std::wstring FuzzHidBus::kPaths[6] = {
    std::wstring(L"\\\\?\\hid#vid_4c7a&pid_0054#7&1&0&0000") + kGuid,
    std::wstring(L"\\\\?\\hid#vid_4c7a&pid_0054#7&2&0&0000") + kGuid,
    std::wstring(L"\\\\?\\hid#vid_4c7a&pid_0074#7&3&0&0000") + kGuid,
    std::wstring(L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7&4&0&0000") + kGuid,
    std::wstring(L"\\\\?\\hid#vid_04d8&pid_0054#7&5&0&0000") + kGuid,
    std::wstring(L"\\\\?\\hid#vid_4c7a&pid_0054#7&") + std::wstring(300, L'6') + kGuid,
};

FuzzHidBus::FuzzHidBus(FuzzClock& clock, ByteStream behaviour, ByteStream answers)
    : clock_(clock),
      behaviour_(behaviour),
      answers_(answers),
      listing_{kPaths[0]},
      previous_(QrCom::installHidBus(this)) {}

FuzzHidBus::~FuzzHidBus() {
  QrCom::installHidBus(previous_);
}

std::vector<std::wstring> FuzzHidBus::interfacePaths() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!behaviour_.empty()) {
    listing_.clear();
    for (int count = behaviour_.byte() % 4; count > 0; --count) {
      listing_.push_back(kPaths[behaviour_.byte() % std::size(kPaths)]);
    }
  }
  return listing_;
}

QrCom::HidBus::Opened FuzzHidBus::open(const std::wstring& path) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (std::find(listing_.begin(), listing_.end(), path) == listing_.end()) {
    return {nullptr, OpenFailure::Other};
  }
  std::optional<QrCom::HidCapabilities> capabilities = QrCom::HidCapabilities{64, 64};
  uint32_t failWritesFrom = 0;
  if (!behaviour_.empty()) {
    const uint8_t outcome = behaviour_.byte() % 8;
    if (outcome == 6) return {nullptr, OpenFailure::Denied};
    if (outcome == 7) return {nullptr, OpenFailure::Other};
    const uint8_t lengths = behaviour_.byte();
    if (lengths == 0xFF) {
      capabilities.reset();
    } else {
      capabilities = QrCom::HidCapabilities{kLengths[lengths & 7], kLengths[(lengths >> 3) & 7]};
    }
    failWritesFrom = behaviour_.byte();
  }
  return {std::make_unique<FuzzHidDevice>(*this, clock_, capabilities, failWritesFrom),
          OpenFailure::None};
}

bool FuzzHidBus::nextReport(std::vector<uint8_t>& report, uint32_t capacity) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (answers_.empty() || capacity == 0) return false;
  report.resize(1 + answers_.byte() % capacity);
  for (uint8_t& byte : report) byte = answers_.byte();
  read_ += report.size();
  if (read_ > FuzzPort::kReadLimit) {
    std::fprintf(stderr, "the host read %llu bytes of HID reports without a bound\n",
                 static_cast<unsigned long long>(read_));
    std::abort();
  }
  return true;
}

}  // namespace QrFuzz
