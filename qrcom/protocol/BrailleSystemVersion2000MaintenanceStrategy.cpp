#include "qrcom/protocol/BrailleSystemVersion2000MaintenanceStrategy.h"

#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/BrailleTableUpload.h"
#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

void BrailleSystemVersion2000MaintenanceStrategy::receiveBrailleTable(SerialPort& port,
                                                                      const uint8_t (&table)[256],
                                                                      const std::wstring& name,
                                                                      int slot,
                                                                      bool searchBackwards) {
  const uint8_t attribute = BrailleTableUpload::attribute(
      slot, searchBackwards, supportsService(MaintenanceServices::kSearchBackwards));
  const std::string ansi = toAnsi(name.substr(0, BrailleTableUpload::kMaxNameCharacters));
  BrailleTableUpload::send(port, table, legacyHeaderBody(ansi, attribute));
}

void BrailleSystemVersion2000MaintenanceStrategy::getUsedBrailleTables(SerialPort&, int&, int&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:getUsedBrailleTables -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::activateBrailleTable(SerialPort&, uint8_t) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:activateBrailleTable -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::getBrailleTablesNames(SerialPort&,
                                                                        BrailleTablesNames&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:getBrailleTablesNames -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::deleteFlash(SerialPort&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy::deleteFlash -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::doFactoryReset(SerialPort&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy::doFactoryReset -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::setBluetoothPin(SerialPort&,
                                                                  const std::wstring&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:setBluetoothPin -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::getBluetoothPin(SerialPort&, wchar_t*, uint32_t) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:getBluetoothPin -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::requestBatteryInfo(SerialPort&, BatteryInfo*) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:requestBatteryInfo -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::startBatteryTestMode(SerialPort&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:startBatteryTestMode -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::setRealTimeClock(SerialPort&,
                                                                   const DeviceDateTime&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:setRealTimeClock -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::getRealTimeClock(SerialPort&, DeviceDateTime*) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy:getRealTimeClock -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::lockMassStorageProtocol(SerialPort&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy::lockMassStorageProtocol -- ");
}

void BrailleSystemVersion2000MaintenanceStrategy::releaseMassStorageProtocol(SerialPort&) {
  notSupported(L"BrailleSystemVersion2000MaintenanceStrategy::releaseMassStorageProtocol -- ");
}

bool BrailleSystemVersion2000MaintenanceStrategy::supportsService(int serviceId) const {
  return serviceId == MaintenanceServices::kBrailleTableUpload;
}

std::unique_ptr<DeviceMaintenanceStrategy> BrailleSystemVersion2000MaintenanceStrategy::clone()
    const {
  return std::make_unique<BrailleSystemVersion2000MaintenanceStrategy>(*this);
}

}  // namespace QrCom
