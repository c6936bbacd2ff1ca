// The device's port: opened for the outermost operation, handed over between ordinary
// operations and the monitor thread.
#include <mutex>

#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/port/ComPorts.h"

namespace QrCom {

namespace {
// How often a waiting operation repeats its stop request while monitor mode keeps the port.
constexpr uint32_t kHandOverRetryMs = 100;
}  // namespace

void QuorlinDevice::throwPortBlocked(std::wstring_view context) {
  throw MethodCollisionException(
      compose(context, L"\n\nPort is blocked by other transfer transaction.\n\n"));
}

std::unique_ptr<SerialPort> QuorlinDevice::openPort() const {
  return isUsbHid() ? openHidPort(hidDevicePath_) : openComPort(comPortNumber_);
}

bool QuorlinDevice::acquirePort(std::wstring_view context, bool forMonitor) {
  std::unique_lock<NativeMutex> guard(lock_);
  if (forMonitor) {
    switch (portState_) {
      case kPortClosed:
        currentPort_ = openPort();
        portState_ = kMonitorOwnsPort;
        return true;
      case kMonitorMayResume:
        portState_ = kMonitorOwnsPort;
        return true;
      case kPortOpen:
      case kWaitingForMonitor:
        portState_ = kHoldingMonitorPort;
        return false;
      default:
        return false;
    }
  }
  switch (portState_) {
    case kPortClosed:
      currentPort_ = openPort();
      portState_ = kPortOpen;
      return true;
    case kPortOpen:
      guard.unlock();
      throwPortBlocked(context);
    case kWaitingForMonitor:
      return false;
    case kHoldingMonitorPort:
    case kMonitorMayResume:
      portState_ = kHoldingMonitorPort;
      return true;
    default:  // kMonitorOwnsPort
      portState_ = kWaitingForMonitor;
      portFree_.reset();
      guard.unlock();
      waitForMonitorHandOver();
      return true;
  }
}

void QuorlinDevice::waitForMonitorHandOver() {
  try {
    strategies_.monitorMode->stopMonitorMode();
  } catch (const QrException&) {
    // A strategy without monitor mode has ended its thread by itself.
  }
  // The monitor thread may have taken the port without having entered its receive loop yet;
  // such a loop ignores the first stop request, so ask again until the port comes free.
  while (!portFree_.wait(kHandOverRetryMs)) strategies_.monitorMode->requestStop();
}

void QuorlinDevice::releasePort(bool forMonitor) {
  std::lock_guard<NativeMutex> guard(lock_);
  if (forMonitor) {
    if (portState_ == kWaitingForMonitor) {
      portState_ = kHoldingMonitorPort;  // the port stays open for the waiting operation
    } else {
      currentPort_.reset();
      portState_ = kPortClosed;
      monitorThreadRunning_ = false;
    }
    portFree_.set();
    return;
  }
  if (portState_ == kHoldingMonitorPort && monitorSink_ != nullptr) {
    portState_ = kMonitorMayResume;
    startMonitorThread();
    return;
  }
  // Also when monitor mode was stopped while the operation ran: nobody resumes it.
  if (portState_ == kHoldingMonitorPort) monitorThreadRunning_ = false;
  currentPort_.reset();
  portState_ = kPortClosed;
}

void QuorlinDevice::resetPortUse() {
  releasePort(false);
  nestingCount_ = 0;
  gatewayOwner_ = std::thread::id();
}

SerialPort& QuorlinDevice::reopenHidPort(const std::wstring& path) {
  std::lock_guard<NativeMutex> guard(lock_);
  currentPort_.reset();
  hidDevicePath_ = path;
  currentPort_ = openHidPort(path);
  return *currentPort_;
}

bool QuorlinDevice::isPortInUse() {
  std::lock_guard<NativeMutex> guard(lock_);
  return portState_ == kPortOpen || portState_ == kWaitingForMonitor ||
         portState_ == kHoldingMonitorPort;
}

}  // namespace QrCom
