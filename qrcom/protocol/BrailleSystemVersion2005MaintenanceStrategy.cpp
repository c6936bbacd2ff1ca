#include "qrcom/protocol/BrailleSystemVersion2005MaintenanceStrategy.h"

#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

bool BrailleSystemVersion2005MaintenanceStrategy::supportsService(int serviceId) const {
  return serviceId == MaintenanceServices::kSearchBackwards ||
         BrailleSystemVersion2000MaintenanceStrategy::supportsService(serviceId);
}

std::unique_ptr<DeviceMaintenanceStrategy> BrailleSystemVersion2005MaintenanceStrategy::clone()
    const {
  return std::make_unique<BrailleSystemVersion2005MaintenanceStrategy>(*this);
}

}  // namespace QrCom
