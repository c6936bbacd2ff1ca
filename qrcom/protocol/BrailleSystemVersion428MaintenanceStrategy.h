#pragma once

#include "qrcom/protocol/BrailleSystemVersion20010MaintenanceStrategy.h"

namespace QrCom {

// Adds making a slot current and reading the slots' names.
class BrailleSystemVersion428MaintenanceStrategy
    : public BrailleSystemVersion20010MaintenanceStrategy {
 public:
  // Waits 3 s after the device's confirmation, the time it takes to switch tables.
  void activateBrailleTable(SerialPort& port, uint8_t slot) override;
  // Slots the answer does not reach count as free.
  void getBrailleTablesNames(SerialPort& port, BrailleTablesNames& names) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
