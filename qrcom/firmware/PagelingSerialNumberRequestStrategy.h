#pragma once

#include <string>

#include "qrcom/firmware/SerialNumberRequestStrategy.h"

namespace QrCom {

// The pocket reader's eight-character serial number, asked for with 05 05. Read only
// (service 12); the cache is answered even when empty.
class PagelingSerialNumberRequestStrategy : public SerialNumberRequestStrategy {
 public:
  std::wstring getSerialNumber() const override { return serialNumber_; }
  void setSerialNumber(SerialPort& port, const std::wstring& serialNumber) override;
  bool hasValidSerialNumber() const override { return true; }
  bool hasDefaultSerialNumber() const override { return false; }
  int getDeliveryYear() const override;
  bool supportsService(int serviceId) const override { return serviceId == 12; }
  std::unique_ptr<SerialNumberRequestStrategy> clone() const override;
  // Called once by the device after construction; a port failure leaves the cache as it was.
  void readSerialNumber(SerialPort& port);

 private:
  std::wstring serialNumber_;
};

}  // namespace QrCom
