#pragma once

#include "qrcom/protocol/BrailleSystemVersion2000MaintenanceStrategy.h"

namespace QrCom {

// Adds Braille tables that the device searches backwards.
class BrailleSystemVersion2005MaintenanceStrategy
    : public BrailleSystemVersion2000MaintenanceStrategy {
 public:
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
