#pragma once

#include <cstdint>
#include <string>

#include "qrcom/firmware/FirmwareVersionRequestStrategy.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The firmware version of the current displays, asked for with packet 0xC2: "3.12", followed by
// "_IAP_mode" or "_normal_mode" when the display tells which firmware runs.
class QrBrlOsFirmwareVersionRequestStrategy : public FirmwareVersionRequestStrategy {
 public:
  explicit QrBrlOsFirmwareVersionRequestStrategy(uint8_t modelId) : modelId_(modelId) {}
  // Fails as not supported while no version is known.
  std::wstring getFirmwareVersion() const override;
  std::wstring cutFirmwareVersion(wchar_t separator) override;
  bool supportsService(int serviceId) const override { return serviceId == 36; }
  std::unique_ptr<FirmwareVersionRequestStrategy> clone() const override;
  // Called once by the device after construction. A port failure clears the version and
  // passes on; a missing or foreign answer leaves the version as it was.
  void requestFirmwareVersion(SerialPort& port);

 private:
  uint8_t modelId_;
  std::wstring version_;
};

}  // namespace QrCom
