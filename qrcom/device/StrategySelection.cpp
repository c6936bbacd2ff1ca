// Which strategy of each family serves a display, by model id and protocol version. Families
// a display lacks get their null object.
#include "qrcom/device/FileTransferSelection.h"
#include "qrcom/device/MaintenanceSelection.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrCom {

QuorlinDevice::Strategies QuorlinDevice::selectStrategies(SerialPort& port, uint16_t version) {
  Strategies selected;
  selected.serviceInfo = selectServiceInfoStrategy(version);
  selected.serialNumber = selectSerialNumberStrategy(port, version);
  selected.firmwareUpload = selectFirmwareUploadStrategy();
  selected.fileTransfer = selectFileTransferStrategy(version);
  selected.maintenance = selectMaintenanceStrategy(version);
  selected.monitorMode = selectMonitorModeStrategy();
  selected.firmwareVersion = selectFirmwareVersionStrategy(port, version);
  selected.bluetoothVariant = selectBluetoothVariantStrategy(port, version);
  return selected;
}

std::unique_ptr<ServiceInfoMaintenanceStrategy> QuorlinDevice::selectServiceInfoStrategy(
    uint16_t) const {
  return std::make_unique<NoServiceInfoMaintenanceStrategy>();
}

std::unique_ptr<SerialNumberRequestStrategy> QuorlinDevice::selectSerialNumberStrategy(
    SerialPort&, uint16_t) const {
  return std::make_unique<NoSerialNumberRequestStrategy>();
}

std::unique_ptr<FirmwareUploadStrategy> QuorlinDevice::selectFirmwareUploadStrategy() {
  return std::make_unique<NoFirmwareUploadStrategy>();
}

std::unique_ptr<FileTransferStrategy> QuorlinDevice::selectFileTransferStrategy(
    uint16_t version) const {
  return selectFileTransfer(modelId_, version);
}

std::unique_ptr<DeviceMaintenanceStrategy> QuorlinDevice::selectMaintenanceStrategy(
    uint16_t version) const {
  return selectMaintenance(modelId_, version);
}

std::unique_ptr<MonitorModeStrategy> QuorlinDevice::selectMonitorModeStrategy() const {
  return selectMonitorMode(modelId_);
}

std::unique_ptr<FirmwareVersionRequestStrategy> QuorlinDevice::selectFirmwareVersionStrategy(
    SerialPort&, uint16_t) const {
  return std::make_unique<NoFirmwareVersionRequestStrategy>();
}

std::unique_ptr<IsBluetoothVersionRequestStrategy> QuorlinDevice::selectBluetoothVariantStrategy(
    SerialPort&, uint16_t) const {
  return std::make_unique<NoIsBluetoothVersionRequestStrategy>();
}

}  // namespace QrCom
