#pragma once

#include <memory>

namespace QrCom {

// Whether the device's firmware is the Bluetooth variant, read once from the device.
// Service id 37.
class IsBluetoothVersionRequestStrategy {
 public:
  virtual ~IsBluetoothVersionRequestStrategy() = default;

  virtual bool isBluetoothVersion() const = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<IsBluetoothVersionRequestStrategy> clone() const = 0;
};

class NoIsBluetoothVersionRequestStrategy : public IsBluetoothVersionRequestStrategy {
 public:
  bool isBluetoothVersion() const override;
  bool supportsService(int) const override { return false; }
  std::unique_ptr<IsBluetoothVersionRequestStrategy> clone() const override;
};

}  // namespace QrCom
