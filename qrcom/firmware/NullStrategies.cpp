// The null objects of the firmware and identity families: every operation fails as not
// supported, with the prefixes the library has always used.
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/IsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/SerialNumberRequestStrategy.h"
#include "qrcom/firmware/ServiceInfoMaintenanceStrategy.h"

namespace QrCom {

void NoFirmwareUploadStrategy::loadFirmware(SerialPort&, const std::wstring&,
                                            FirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::loadFirmware -- ");
}

void NoFirmwareUploadStrategy::loadBtFirmware(SerialPort&, const std::wstring&,
                                              FirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::loadBtFirmware -- ");
}

void NoFirmwareUploadStrategy::executeBrailleFirmwareUpdate(SerialPort&, const std::wstring&,
                                                            SecondaryFirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::executeBrailleFirmwareUpdate -- ");
}

void NoFirmwareUploadStrategy::executeUsbFirmwareUpdate(SerialPort&, const std::wstring&,
                                                        SecondaryFirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::executeUsbFirmwareUpdate -- ");
}

bool NoFirmwareUploadStrategy::restartSystem(SerialPort&, bool) {
  notSupported(L"NoFirmwareUploadStrategy::restartSystem -- ");
}

std::unique_ptr<FirmwareUploadStrategy> NoFirmwareUploadStrategy::clone() const {
  return std::make_unique<NoFirmwareUploadStrategy>();
}

std::wstring NoSerialNumberRequestStrategy::getSerialNumber() const {
  notSupported(L"NoSerialNumberRequestStrategy::getSerialNumber -- ");
}

void NoSerialNumberRequestStrategy::setSerialNumber(SerialPort&, const std::wstring&) {
  notSupported(L"NoSerialNumberRequestStrategy::setSerialNumber -- ");
}

bool NoSerialNumberRequestStrategy::hasValidSerialNumber() const {
  notSupported(L"NoSerialNumberRequestStrategy::hasValidSerialNumber ");
}

bool NoSerialNumberRequestStrategy::hasDefaultSerialNumber() const {
  notSupported(L"NoSerialNumberRequestStrategy::hasDefaultSerialNumber ");
}

int NoSerialNumberRequestStrategy::getDeliveryYear() const {
  notSupported(L"NoSerialNumberRequestStrategy::getDeliveryYear -- ");
}

std::unique_ptr<SerialNumberRequestStrategy> NoSerialNumberRequestStrategy::clone() const {
  return std::make_unique<NoSerialNumberRequestStrategy>();
}

std::wstring NoFirmwareVersionRequestStrategy::getFirmwareVersion() const {
  notSupported(L"NoFirmwareVersionRequestStrategy::getFirmwareVersion -- ");
}

std::unique_ptr<FirmwareVersionRequestStrategy> NoFirmwareVersionRequestStrategy::clone() const {
  return std::make_unique<NoFirmwareVersionRequestStrategy>();
}

bool NoIsBluetoothVersionRequestStrategy::isBluetoothVersion() const {
  notSupported(L"NoIsBluetoothVersionRequestStrategy::isBluetoothVersion -- ");
}

std::unique_ptr<IsBluetoothVersionRequestStrategy> NoIsBluetoothVersionRequestStrategy::clone()
    const {
  return std::make_unique<NoIsBluetoothVersionRequestStrategy>();
}

// Both directions carry the same prefix.
void NoServiceInfoMaintenanceStrategy::sendServiceInformation(SerialPort&, ServiceInfo&) {
  notSupported(L"BrailleSystem::startMonitorMode -- ");
}

void NoServiceInfoMaintenanceStrategy::receiveServiceInformation(SerialPort&, ServiceInfo&) {
  notSupported(L"BrailleSystem::startMonitorMode -- ");
}

std::unique_ptr<ServiceInfoMaintenanceStrategy> NoServiceInfoMaintenanceStrategy::clone() const {
  return std::make_unique<NoServiceInfoMaintenanceStrategy>();
}

}  // namespace QrCom
