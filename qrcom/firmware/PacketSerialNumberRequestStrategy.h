#pragma once

#include <cstdint>
#include <string>

#include "qrcom/firmware/SerialNumberRequestStrategy.h"

namespace QrCom {

// The serial number over extended packets: read with type 0x41, set with type 0x40. The two
// product lines that speak it differ in their class name (message prefixes) and their factory
// defaults.
class PacketSerialNumberRequestStrategy : public SerialNumberRequestStrategy {
 public:
  // Fails as not supported while the cache is empty.
  std::wstring getSerialNumber() const override;
  void setSerialNumber(SerialPort& port, const std::wstring& serialNumber) override;
  bool hasValidSerialNumber() const override;
  bool hasDefaultSerialNumber() const override;
  int getDeliveryYear() const override;
  bool supportsService(int serviceId) const override;
  // Called once by the device after construction. A port failure clears the cache and passes
  // on; an answer that is missing or not the serial number leaves the cache as it was.
  void readSerialNumber(SerialPort& port);

 protected:
  PacketSerialNumberRequestStrategy(uint8_t modelId, const wchar_t* className);
  // The model's factory default (characters 4 to 11), or null.
  virtual const wchar_t* defaultSerialNumber() const = 0;

  uint8_t modelId_;
  std::wstring serialNumber_;

 private:
  std::wstring prefix(const wchar_t* operation) const;

  const wchar_t* className_;
};

class FnxSerialNumberRequestStrategy : public PacketSerialNumberRequestStrategy {
 public:
  explicit FnxSerialNumberRequestStrategy(uint8_t modelId);
  std::unique_ptr<SerialNumberRequestStrategy> clone() const override;

 protected:
  const wchar_t* defaultSerialNumber() const override;
};

class QrBrlOsSerialNumberRequestStrategy : public PacketSerialNumberRequestStrategy {
 public:
  explicit QrBrlOsSerialNumberRequestStrategy(uint8_t modelId);
  std::unique_ptr<SerialNumberRequestStrategy> clone() const override;

 protected:
  const wchar_t* defaultSerialNumber() const override;
};

}  // namespace QrCom
