#include "qrcom/device/MaintenanceSelection.h"

#include "qrcom/device/ModelTable.h"
#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingMonitorModeStrategy.h"
#include "qrcom/protocol/PlanoMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"

namespace QrCom {

using namespace ModelTable;

std::unique_ptr<DeviceMaintenanceStrategy> selectMaintenance(uint8_t modelId, uint16_t version) {
  // A firmware that tells no protocol version has no table slots.
  const bool legacyFlag = version == 0;
  if (modelId == kPageling) return std::make_unique<PagelingMaintenanceStrategy>();
  if (isLegacyLine(modelId)) {
    switch (version) {
      case 1:
        return std::make_unique<BrailleSystemVersion2005MaintenanceStrategy>();
      case 2:
        return std::make_unique<BrailleSystemVersion20010MaintenanceStrategy>();
      case 3:
        return std::make_unique<BrailleSystemVersion428MaintenanceStrategy>();
      default:
        return std::make_unique<BrailleSystemVersion2000MaintenanceStrategy>();
    }
  }
  if (isQrBrlOsLine(modelId)) {
    if (version == 0x0103) return std::make_unique<QrBrlOsVersion103MaintenanceStrategy>(modelId);
    return std::make_unique<QrBrlOsMaintenanceStrategy>(modelId, legacyFlag);
  }
  if (isFnxLine(modelId)) {
    return std::make_unique<FnxMaintenanceStrategy>(modelId, legacyFlag);
  }
  return std::make_unique<NoDeviceMaintenanceStrategy>();
}

std::unique_ptr<MonitorModeStrategy> selectMonitorMode(uint8_t modelId) {
  if (modelId == kPageling) return std::make_unique<PagelingMonitorModeStrategy>();
  if (isLegacyLine(modelId)) return std::make_unique<PlanoMonitorModeStrategy>();
  if (isQrBrlOsLine(modelId)) return std::make_unique<QrBrlOsMonitorModeStrategy>();
  return std::make_unique<NoMonitorModeStrategy>();
}

}  // namespace QrCom
