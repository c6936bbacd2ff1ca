#pragma once

#include <cstdint>
#include <memory>

#include "qrcom/device/QuorlinDevice.h"

namespace QrTest {

// Looks inside a device: which strategies it holds, how far its port hand-over is. Tests may
// also put strategies of their own in place.
class DeviceInspector {
 public:
  explicit DeviceInspector(QrCom::QuorlinDevice& device) : device_(device) {}

  QrCom::ServiceInfoMaintenanceStrategy& serviceInfo() const;
  QrCom::SerialNumberRequestStrategy& serialNumber() const;
  QrCom::DeviceMaintenanceStrategy& maintenance() const;

  void replace(std::unique_ptr<QrCom::SerialNumberRequestStrategy> strategy);
  void replace(std::unique_ptr<QrCom::FirmwareUploadStrategy> strategy);
  void replace(std::unique_ptr<QrCom::FileTransferStrategy> strategy);
  void replace(std::unique_ptr<QrCom::DeviceMaintenanceStrategy> strategy);
  void replace(std::unique_ptr<QrCom::MonitorModeStrategy> strategy);
  void replace(std::unique_ptr<QrCom::ServiceInfoMaintenanceStrategy> strategy);

  // 0 no port, 1 ordinary operation, 2 waiting for monitor mode, 3 holding monitor mode's port,
  // 4 monitor mode may resume, 5 monitor mode has the port.
  uint32_t portState() const;
  QrCom::SerialPort* currentPort() const;
  int nestingCount() const;
  // Holds the device lock (recursive) between the two calls, on the calling thread.
  void lockDevice();
  void unlockDevice();

 private:
  QrCom::QuorlinDevice& device_;
};

template <typename Expected, typename Strategy>
bool isA(const Strategy& strategy) {
  return dynamic_cast<const Expected*>(&strategy) != nullptr;
}

}  // namespace QrTest
