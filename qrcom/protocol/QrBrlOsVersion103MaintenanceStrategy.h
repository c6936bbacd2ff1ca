#pragma once

#include "qrcom/protocol/QrBrlOsMaintenanceStrategy.h"

namespace QrCom {

// Adds the lock of the device's mass-storage protocol (the PC keeps the device's drive from the
// computer while it talks to the device).
class QrBrlOsVersion103MaintenanceStrategy : public QrBrlOsMaintenanceStrategy {
 public:
  explicit QrBrlOsVersion103MaintenanceStrategy(uint8_t modelId)
      : QrBrlOsMaintenanceStrategy(modelId, false) {}

  // True when the device reports state 0.
  bool isMassStorageProtocolActive(SerialPort& port) override;
  void lockMassStorageProtocol(SerialPort& port) override;
  void releaseMassStorageProtocol(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
