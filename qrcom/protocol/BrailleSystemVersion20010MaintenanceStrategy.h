#pragma once

#include "qrcom/protocol/BrailleSystemVersion2005MaintenanceStrategy.h"

namespace QrCom {

// Adds the query of the two tables in use.
class BrailleSystemVersion20010MaintenanceStrategy
    : public BrailleSystemVersion2005MaintenanceStrategy {
 public:
  void getUsedBrailleTables(SerialPort& port, int& first, int& second) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
