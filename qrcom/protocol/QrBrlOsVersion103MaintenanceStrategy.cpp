#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"

#include <string_view>

#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

namespace {
constexpr uint8_t kMassStorageState = 0x70;
constexpr uint8_t kLockMassStorage = 0x71;
constexpr uint8_t kReleaseMassStorage = 0x72;

// A trailing SYNC from the device is acknowledged; anything else is left alone.
void acknowledgeSync(SerialPort& port) {
  if (port.readByte() != Legacy::kSync) return;
  port.writeByte(Legacy::kAck);
  port.writeByte(Legacy::kSync);
}

void sendMassStorageCommand(SerialPort& port, uint8_t command, std::wstring_view prefix) {
  port.purge();
  sendCommand(port, command, prefix, DeviceErrors::Maintenance);
  acknowledgeSync(port);
  port.purge();
}
}  // namespace

bool QrBrlOsVersion103MaintenanceStrategy::isMassStorageProtocolActive(SerialPort& port) {
  constexpr wchar_t kPrefix[] =
      L"QrBrlOsversion103MaintenanceStrategy::isMassStorageProtocolActive -- ";
  port.purge();
  sendCommand(port, kMassStorageState, kPrefix, DeviceErrors::Maintenance);
  const uint8_t state = port.readByte();
  acknowledgeSync(port);
  port.purge();
  return state == 0;
}

void QrBrlOsVersion103MaintenanceStrategy::lockMassStorageProtocol(SerialPort& port) {
  sendMassStorageCommand(port, kLockMassStorage,
                         L"QrBrlOsVersion103MaintenanceStrategy::lockMassStorageProtocol -- ");
}

void QrBrlOsVersion103MaintenanceStrategy::releaseMassStorageProtocol(SerialPort& port) {
  sendMassStorageCommand(port, kReleaseMassStorage,
                         L"QrBrlOsVersion103MaintenanceStrategy::releaseMassStorageProtocol -- ");
}

bool QrBrlOsVersion103MaintenanceStrategy::supportsService(int serviceId) const {
  return serviceId == MaintenanceServices::kMassStorageLock ||
         QrBrlOsMaintenanceStrategy::supportsService(serviceId);
}

std::unique_ptr<DeviceMaintenanceStrategy> QrBrlOsVersion103MaintenanceStrategy::clone() const {
  return std::make_unique<QrBrlOsVersion103MaintenanceStrategy>(*this);
}

}  // namespace QrCom
