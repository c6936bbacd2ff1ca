#pragma once

#include <memory>
#include <string>

namespace QrCom {

// The firmware version text ("3.12_normal_mode"), read once from the device. Service id 36.
class FirmwareVersionRequestStrategy {
 public:
  virtual ~FirmwareVersionRequestStrategy() = default;

  virtual std::wstring getFirmwareVersion() const = 0;
  // Keeps the text up to the first `separator` and returns it; fails as getFirmwareVersion.
  virtual std::wstring cutFirmwareVersion(wchar_t separator) = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<FirmwareVersionRequestStrategy> clone() const = 0;
};

class NoFirmwareVersionRequestStrategy : public FirmwareVersionRequestStrategy {
 public:
  std::wstring getFirmwareVersion() const override;
  std::wstring cutFirmwareVersion(wchar_t) override { return getFirmwareVersion(); }
  bool supportsService(int) const override { return false; }
  std::unique_ptr<FirmwareVersionRequestStrategy> clone() const override;
};

}  // namespace QrCom
