#pragma once

#include <cstdint>

#include "qrcom/firmware/IsBluetoothVersionRequestStrategy.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

// Whether a Fundo runs the Bluetooth variant of its firmware, asked for with packet 0xC1.
class QrBrlOsIsBluetoothVersionRequestStrategy : public IsBluetoothVersionRequestStrategy {
 public:
  explicit QrBrlOsIsBluetoothVersionRequestStrategy(uint8_t modelId) : modelId_(modelId) {}
  // Fails as not supported until a query has succeeded.
  bool isBluetoothVersion() const override;
  bool supportsService(int serviceId) const override { return serviceId == 37; }
  std::unique_ptr<IsBluetoothVersionRequestStrategy> clone() const override;
  // Called once by the device after construction. A port failure forgets the answer and
  // passes on; a short or foreign answer changes nothing.
  void requestBluetoothVersion(SerialPort& port);

 private:
  bool isBluetooth_ = false;
  uint8_t modelId_;
  bool known_ = false;
};

}  // namespace QrCom
