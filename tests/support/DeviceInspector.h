#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "qrcom/device/QuorlinDevice.h"

namespace QrTest {

// Looks inside a device: which strategies it holds, how far its port hand-over is. Tests may
// also put strategies of their own in place.
class DeviceInspector {
 public:
  explicit DeviceInspector(QrCom::QuorlinDevice& device) : device_(device) {}

  QrCom::ServiceInfoMaintenanceStrategy& serviceInfo() const { return *slots().serviceInfo; }
  QrCom::SerialNumberRequestStrategy& serialNumber() const { return *slots().serialNumber; }

  void replace(std::unique_ptr<QrCom::SerialNumberRequestStrategy> strategy);
  void replace(std::unique_ptr<QrCom::FirmwareUploadStrategy> strategy);
  void replace(std::unique_ptr<QrCom::FileTransferStrategy> strategy);
  void replace(std::unique_ptr<QrCom::DeviceMaintenanceStrategy> strategy);
  void replace(std::unique_ptr<QrCom::MonitorModeStrategy> strategy);
  void replace(std::unique_ptr<QrCom::ServiceInfoMaintenanceStrategy> strategy);

  // 0 no port, 1 ordinary operation, 2 waiting for monitor mode, 3 holding monitor mode's port,
  // 4 monitor mode may resume, 5 monitor mode has the port.
  uint32_t portState() const {
    std::lock_guard<QrCom::NativeMutex> guard(device_.lock_);
    return device_.portState_;
  }
  QrCom::SerialPort* currentPort() const {
    std::lock_guard<QrCom::NativeMutex> guard(device_.lock_);
    return device_.currentPort_.get();
  }
  int nestingCount() const { return device_.nestingCount_; }
  // Holds the device lock (recursive) between the two calls, on the calling thread.
  void lockDevice() { device_.lock_.lock(); }
  void unlockDevice() { device_.lock_.unlock(); }

 private:
  QrCom::QuorlinDevice::Strategies& slots() const { return device_.strategies_; }

  QrCom::QuorlinDevice& device_;
};

template <typename Expected, typename Strategy>
bool isA(const Strategy& strategy) {
  return dynamic_cast<const Expected*>(&strategy) != nullptr;
}

}  // namespace QrTest
