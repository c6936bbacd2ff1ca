#include "qrcom/protocol/BrailleSystemVersion20010MaintenanceStrategy.h"

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

namespace {
constexpr wchar_t kUsedTablesPrefix[] =
    L"BrailleSystemVersion20010MaintenanceStrategy:getUsedBrailleTables -- ";
constexpr uint8_t kGetUsedTables = 0x0F;
}  // namespace

void BrailleSystemVersion20010MaintenanceStrategy::getUsedBrailleTables(SerialPort& port,
                                                                        int& first, int& second) {
  port.purge();
  sendCommand(port, kGetUsedTables, kUsedTablesPrefix, DeviceErrors::Maintenance);
  uint8_t answer[3] = {};
  if (port.readBuffer(answer, 3) != 3 || answer[2] != Legacy::kSync) {
    throw ErrorInProtocolException(compose(kUsedTablesPrefix, L"Missing SYNC"));
  }
  first = answer[0];
  second = answer[1];
  acknowledge(port, Legacy::kSync);
}

bool BrailleSystemVersion20010MaintenanceStrategy::supportsService(int serviceId) const {
  return serviceId == MaintenanceServices::kUsedBrailleTables ||
         BrailleSystemVersion2005MaintenanceStrategy::supportsService(serviceId);
}

std::unique_ptr<DeviceMaintenanceStrategy> BrailleSystemVersion20010MaintenanceStrategy::clone()
    const {
  return std::make_unique<BrailleSystemVersion20010MaintenanceStrategy>(*this);
}

}  // namespace QrCom
