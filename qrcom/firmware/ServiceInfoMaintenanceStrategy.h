#pragma once

#include <memory>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

class ServiceInfo;

// Moves the device's service-information record. Service id 21.
class ServiceInfoMaintenanceStrategy {
 public:
  virtual ~ServiceInfoMaintenanceStrategy() = default;

  // PC to device.
  virtual void sendServiceInformation(SerialPort& port, ServiceInfo& info) = 0;
  // Device to PC.
  virtual void receiveServiceInformation(SerialPort& port, ServiceInfo& info) = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<ServiceInfoMaintenanceStrategy> clone() const = 0;
};

class NoServiceInfoMaintenanceStrategy : public ServiceInfoMaintenanceStrategy {
 public:
  void sendServiceInformation(SerialPort& port, ServiceInfo& info) override;
  void receiveServiceInformation(SerialPort& port, ServiceInfo& info) override;
  bool supportsService(int) const override { return false; }
  std::unique_ptr<ServiceInfoMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
