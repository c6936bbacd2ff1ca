#pragma once

#include <cstdint>

#include "qrcom/firmware/ServiceInfoMaintenanceStrategy.h"

namespace QrCom {

// Moves the service-information record of displays that keep one: read with packet 0x31,
// written with packet 0x30. Service id 21.
class ServiceInfoAwareDeviceMaintenanceStrategy : public ServiceInfoMaintenanceStrategy {
 public:
  explicit ServiceInfoAwareDeviceMaintenanceStrategy(uint8_t modelId) : modelId_(modelId) {}

  // Throws ServiceInfoNotSent unless the display acknowledges exactly.
  void sendServiceInformation(SerialPort& port, ServiceInfo& info) override;
  // Throws ServiceInfoNotReceived when the display has no record or the answer is not one,
  // CannotReadFromPortException when nothing arrives.
  void receiveServiceInformation(SerialPort& port, ServiceInfo& info) override;
  bool supportsService(int serviceId) const override { return serviceId == 21; }
  std::unique_ptr<ServiceInfoMaintenanceStrategy> clone() const override;

 private:
  uint8_t modelId_;
};

}  // namespace QrCom
