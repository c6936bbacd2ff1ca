#pragma once

#include <string>

#include "qrcom/firmware/SerialNumberRequestStrategy.h"

namespace QrCom {

// The serial number of the EPROM-generation displays, read through the boot loader's INFO
// mode. Read only (service 12).
class InfoModeSerialNumberRequestStrategy : public SerialNumberRequestStrategy {
 public:
  // Fails as not supported while the cache is empty.
  std::wstring getSerialNumber() const override;
  void setSerialNumber(SerialPort& port, const std::wstring& serialNumber) override;
  bool hasValidSerialNumber() const override { return true; }
  bool hasDefaultSerialNumber() const override { return false; }
  int getDeliveryYear() const override;
  bool supportsService(int serviceId) const override { return serviceId == 12; }
  std::unique_ptr<SerialNumberRequestStrategy> clone() const override;
  // Called once by the device after construction; failures leave an empty cache.
  void readSerialNumber(SerialPort& port);

 private:
  void readInfoAnswer(SerialPort& port);

  std::wstring serialNumber_;
};

}  // namespace QrCom
