#include "qrcom/protocol/FnxMaintenanceStrategy.h"

#include "qrcom/protocol/MaintenancePackets.h"
#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

void FnxMaintenanceStrategy::setBluetoothPin(SerialPort& port, const std::wstring& pin) {
  MaintenancePackets::setBluetoothPin(port, modelId_, pin,
                                      L"FnxMaintenanceStrategy::setBluetoothPin -- ");
}

void FnxMaintenanceStrategy::getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) {
  MaintenancePackets::getBluetoothPin(port, modelId_, pin, capacity,
                                      L"FnxMaintenanceStrategy::getBluetoothPin -- ");
}

void FnxMaintenanceStrategy::requestBatteryInfo(SerialPort& port, BatteryInfo* info) {
  MaintenancePackets::requestBatteryInfo(port, modelId_, info,
                                         L"FnxMaintenanceStrategy::requestBatteryInfo -- ");
}

void FnxMaintenanceStrategy::startBatteryTestMode(SerialPort& port) {
  MaintenancePackets::startBatteryTestMode(port, modelId_,
                                           L"FnxMaintenanceStrategy::startBatteryTestMode -- ");
}

bool FnxMaintenanceStrategy::supportsService(int serviceId) const {
  return MaintenanceServices::inRange(serviceId, MaintenanceServices::kFirstPacketService,
                                      MaintenanceServices::kLastPacketService);
}

std::unique_ptr<DeviceMaintenanceStrategy> FnxMaintenanceStrategy::clone() const {
  return std::make_unique<FnxMaintenanceStrategy>(*this);
}

}  // namespace QrCom
