#pragma once

#include <cstdint>
#include <memory>

#include "qrcom/protocol/DeviceMaintenanceStrategy.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace QrCom {

// The maintenance strategy of a display, by model id and protocol version: the legacy
// generations by version, the current firmware (without table slots when it tells no
// version), the Fundo line, the pocket reader; the null object for every other display.
std::unique_ptr<DeviceMaintenanceStrategy> selectMaintenance(uint8_t modelId, uint16_t version);

// The monitor-mode strategy of a display, by model id alone.
std::unique_ptr<MonitorModeStrategy> selectMonitorMode(uint8_t modelId);

}  // namespace QrCom
