#pragma once

#include <memory>
#include <string>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The device's serial number, read once from the device and answered from a cache.
// Service ids: 12 read, 13 set.
class SerialNumberRequestStrategy {
 public:
  virtual ~SerialNumberRequestStrategy() = default;

  virtual std::wstring getSerialNumber() const = 0;
  virtual void setSerialNumber(SerialPort& port, const std::wstring& serialNumber) = 0;
  virtual bool hasValidSerialNumber() const = 0;
  // The device still carries its model's factory default.
  virtual bool hasDefaultSerialNumber() const = 0;
  // The two-digit year of delivery taken from the serial number.
  virtual int getDeliveryYear() const = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<SerialNumberRequestStrategy> clone() const = 0;
};

class NoSerialNumberRequestStrategy : public SerialNumberRequestStrategy {
 public:
  std::wstring getSerialNumber() const override;
  void setSerialNumber(SerialPort& port, const std::wstring& serialNumber) override;
  bool hasValidSerialNumber() const override;
  bool hasDefaultSerialNumber() const override;
  int getDeliveryYear() const override;
  bool supportsService(int) const override { return false; }
  std::unique_ptr<SerialNumberRequestStrategy> clone() const override;
};

}  // namespace QrCom
