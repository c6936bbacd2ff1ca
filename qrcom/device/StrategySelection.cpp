// Which strategy of each family serves a display, by model id and protocol version. Families
// a display lacks get their null object.
#include "qrcom/device/FileTransferSelection.h"
#include "qrcom/device/MaintenanceSelection.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"

namespace QrCom {

using namespace ModelTable;

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
    uint16_t version) const {
  if (keepsServiceRecord(modelId_, version))
    return std::make_unique<ServiceInfoAwareDeviceMaintenanceStrategy>(modelId_);
  return std::make_unique<NoServiceInfoMaintenanceStrategy>();
}

std::unique_ptr<SerialNumberRequestStrategy> QuorlinDevice::selectSerialNumberStrategy(
    SerialPort& port, uint16_t) const {
  if (modelId_ == kPageling) {
    auto strategy = std::make_unique<PagelingSerialNumberRequestStrategy>();
    strategy->readSerialNumber(port);
    return strategy;
  }
  if (tellsSerialInInfoMode(modelId_)) {
    auto strategy = std::make_unique<InfoModeSerialNumberRequestStrategy>();
    strategy->readSerialNumber(port);
    return strategy;
  }
  if (isQrBrlOsLine(modelId_)) {
    auto strategy = std::make_unique<QrBrlOsSerialNumberRequestStrategy>(modelId_);
    strategy->readSerialNumber(port);
    return strategy;
  }
  if (isFnxLine(modelId_)) {
    auto strategy = std::make_unique<FnxSerialNumberRequestStrategy>(modelId_);
    strategy->readSerialNumber(port);
    return strategy;
  }
  return std::make_unique<NoSerialNumberRequestStrategy>();
}

// Both real strategies refer to this device.
std::unique_ptr<FirmwareUploadStrategy> QuorlinDevice::selectFirmwareUploadStrategy() {
  if (hasEpromBootLoader(modelId_)) {
    auto strategy =
        std::make_unique<EpromVersion11FirmwareUploadStrategy>(this, modelId_, cellCount(modelId_));
    if (waitingInBootLoader_) strategy->startInBootLoader();
    return strategy;
  }
  if (hasIapLoader(modelId_)) {
    return std::make_unique<QrBrlOsFirmwareUploadStrategy>(this);
  }
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
    SerialPort& port, uint16_t) const {
  if (isQrBrlOsLine(modelId_) || isFundoLine(modelId_)) {
    auto strategy = std::make_unique<QrBrlOsFirmwareVersionRequestStrategy>(modelId_);
    strategy->requestFirmwareVersion(port);
    return strategy;
  }
  return std::make_unique<NoFirmwareVersionRequestStrategy>();
}

std::unique_ptr<IsBluetoothVersionRequestStrategy> QuorlinDevice::selectBluetoothVariantStrategy(
    SerialPort& port, uint16_t) const {
  if (isFundoLine(modelId_)) {
    auto strategy = std::make_unique<QrBrlOsIsBluetoothVersionRequestStrategy>(modelId_);
    strategy->requestBluetoothVersion(port);
    return strategy;
  }
  return std::make_unique<NoIsBluetoothVersionRequestStrategy>();
}

}  // namespace QrCom
