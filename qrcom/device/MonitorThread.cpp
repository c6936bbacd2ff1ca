// Monitor mode runs on a thread of the device that shares the port with ordinary operations.
#include <mutex>

#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrCom {

namespace {
constexpr wchar_t kMonitorContext[] = L"QuorlinDevice::startMonitorModeThreadFunction--";
constexpr uint32_t kStopRetryMs = 100;
}  // namespace

void QuorlinDevice::startMonitorMode(MonitorSink* sink) {
  monitorSink_ = sink;
  stopMonitorRequest_ = false;
  std::lock_guard<NativeMutex> guard(lock_);
  startMonitorThread();
}

int QuorlinDevice::stopMonitorMode() {
  const int result = strategies_.monitorMode->stopMonitorMode();
  monitorSink_ = nullptr;
  return result;
}

void QuorlinDevice::endMonitorMode() {
  strategies_.monitorMode->requestStop();
  stopMonitorRequest_ = true;
  if (MonitorSink* sink = monitorSink_) sink->onMonitorModeEnded(this);
  monitorSink_ = nullptr;
}

bool QuorlinDevice::isMonitorModeRequested() const {
  return monitorSink_ != nullptr;
}

bool QuorlinDevice::isMonitorModeIdle() const {
  return !strategies_.monitorMode->isActive() && !monitorThreadRunning_;
}

// Called under the device lock. The running flag is kept under the lock from here until monitor
// mode gives the port up for good, so that a thread ending late cannot clear it for its
// successor.
void QuorlinDevice::startMonitorThread() {
  joinFinishedMonitorThreads();
  monitorThreadRunning_ = true;
  MonitorRun& run = monitorThreads_.emplace_back();
  run.thread = std::thread([this, &run] { startMonitorModeThreadFunction(run.finished); });
}

void QuorlinDevice::startMonitorModeThreadFunction(std::atomic<bool>& finished) {
  bool acquired = true;
  try {
    acquired = acquirePort(kMonitorContext, true);
    if (acquired) strategies_.monitorMode->startMonitorMode(*currentPort_, monitorSink_, this);
  } catch (...) {
    // Monitor mode simply ends; the port is given back below.
  }
  // Without the port the thread ends at once; it is started again when the operation that
  // holds the port ends.
  if (acquired) releasePort(true);
  finished = true;
  monitorThreadEnded_.set();
}

void QuorlinDevice::joinFinishedMonitorThreads() {
  for (auto run = monitorThreads_.begin(); run != monitorThreads_.end();) {
    if (run->finished) {
      run->thread.join();
      run = monitorThreads_.erase(run);
    } else {
      ++run;
    }
  }
}

void QuorlinDevice::endMonitorThreads() {
  stopMonitorRequest_ = true;
  monitorSink_ = nullptr;
  for (MonitorRun& run : monitorThreads_) {
    if (!run.finished) {
      try {
        strategies_.monitorMode->stopMonitorMode();
      } catch (const QrException&) {
        // Not a strategy with monitor mode: the thread ends by itself.
      }
    }
    for (;;) {
      monitorThreadEnded_.reset();
      if (run.finished) break;
      strategies_.monitorMode->requestStop();
      monitorThreadEnded_.wait(kStopRetryMs);
    }
    run.thread.join();
  }
  monitorThreads_.clear();
}

}  // namespace QrCom
