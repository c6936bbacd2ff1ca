// The null objects of the file-transfer, maintenance and monitor families: every operation
// fails as not supported, with the prefixes the library has always used.
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DeviceMaintenanceStrategy.h"
#include "qrcom/protocol/FileTransferStrategy.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace QrCom {

void NoFileTransferStrategy::receiveFile(SerialPort&, QuorlinDevice*, const std::wstring&,
                                         const std::wstring&, int32_t, uint8_t, FileTransferSink*) {
  notSupported(L"NoFileTransferStrategy::receiveFile -- ");
}

void NoFileTransferStrategy::sendFile(SerialPort&, QuorlinDevice*, const std::wstring&,
                                      const std::wstring&, uint64_t, FileTransferSink*) {
  notSupported(L"NoFileTransferStrategy::sendFile -- ");
}

// Making and changing directories share the delete prefix.
void NoFileTransferStrategy::makeDirectory(SerialPort&, const std::wstring&) {
  notSupported(L"NoFileTransferStrategy::deleteFile -- ");
}

void NoFileTransferStrategy::changeDirectory(SerialPort&, const std::wstring&) {
  notSupported(L"NoFileTransferStrategy::deleteFile -- ");
}

void NoFileTransferStrategy::makePath(SerialPort&, const std::wstring&) {
  notSupported(L"NoFileTransferStrategy::makePath -- ");
}

uint32_t NoFileTransferStrategy::sendFileList(SerialPort&, std::vector<DirectoryEntry>&) {
  notSupported(L"NoFileTransferStrategy::sendFileList -- ");
}

uint32_t NoFileTransferStrategy::sendFolderList(SerialPort&, std::vector<DirectoryEntry>&) {
  notSupported(L"NoFileTransferStrategy::sendFolderList -- ");
}

void NoFileTransferStrategy::sendDiskSpace(SerialPort&, uint64_t&, uint64_t&) {
  notSupported(L"NoFileTransferStrategy::sendDiskSpace -- ");
}

void NoFileTransferStrategy::deleteFile(SerialPort&, const std::wstring&) {
  notSupported(L"NoFileTransferStrategy::deleteFile -- ");
}

void NoFileTransferStrategy::renameFile(SerialPort&, const std::wstring&, const std::wstring&) {
  notSupported(L"NoFileTransferStrategy::renameFile -- ");
}

bool NoFileTransferStrategy::checkMassStorageProtocolActive(SerialPort&) {
  notSupported(L"NoFileTransferStrategy::checkMassStorageProtocolActive -- ");
}

void NoFileTransferStrategy::lockMassStorageProtocol(SerialPort&) {
  notSupported(L"NoFileTransferStrategy::lockMassStorageProtocol -- ");
}

void NoFileTransferStrategy::releaseMassStorageProtocol(SerialPort&) {
  notSupported(L"NoFileTransferStrategy::releaseMassStorageProtocol -- ");
}

std::unique_ptr<FileTransferStrategy> NoFileTransferStrategy::clone() const {
  return std::make_unique<NoFileTransferStrategy>();
}

void NoDeviceMaintenanceStrategy::receiveBrailleTable(SerialPort&, const uint8_t (&)[256],
                                                      const std::wstring&, int, bool) {
  notSupported(L"NoDeviceMaintenanceStrategy::receiveBrailleTable -- ");
}

void NoDeviceMaintenanceStrategy::getUsedBrailleTables(SerialPort&, int&, int&) {
  notSupported(L"NoDeviceMaintenanceStrategy::getUsedBrailleTables -- ");
}

void NoDeviceMaintenanceStrategy::activateBrailleTable(SerialPort&, uint8_t) {
  notSupported(L"NoDeviceMaintenanceStrategy::activateBrailleTable -- ");
}

void NoDeviceMaintenanceStrategy::getBrailleTablesNames(SerialPort&, BrailleTablesNames&) {
  notSupported(L"NoDeviceMaintenanceStrategy::getBrailleTablesNames -- ");
}

void NoDeviceMaintenanceStrategy::deleteFlash(SerialPort&) {
  notSupported(L"NoDeviceMaintenanceStrategy::deleteFlash -- ");
}

void NoDeviceMaintenanceStrategy::doFactoryReset(SerialPort&) {
  notSupported(L"NoDeviceMaintenanceStrategy::doFactoryReset -- ");
}

void NoDeviceMaintenanceStrategy::setBluetoothPin(SerialPort&, const std::wstring&) {
  notSupported(L"NoDeviceMaintenanceStrategy::setBluetoothPin -- ");
}

void NoDeviceMaintenanceStrategy::getBluetoothPin(SerialPort&, wchar_t*, uint32_t) {
  notSupported(L"NoDeviceMaintenanceStrategy::getBluetoothPin -- ");
}

void NoDeviceMaintenanceStrategy::requestBatteryInfo(SerialPort&, BatteryInfo*) {
  notSupported(L"NoDeviceMaintenanceStrategy::requestBatteryInfo -- ");
}

void NoDeviceMaintenanceStrategy::startBatteryTestMode(SerialPort&) {
  notSupported(L"NoDeviceMaintenanceStrategy::startBatteryTestMode -- ");
}

void NoDeviceMaintenanceStrategy::setRealTimeClock(SerialPort&, const DeviceDateTime&) {
  notSupported(L"NoDeviceMaintenanceStrategy::setRealTimeClock -- ");
}

void NoDeviceMaintenanceStrategy::getRealTimeClock(SerialPort&, DeviceDateTime*) {
  notSupported(L"NoDeviceMaintenanceStrategy::getRealTimeClock -- ");
}

bool NoDeviceMaintenanceStrategy::isMassStorageProtocolActive(SerialPort&) {
  notSupported(L"NoDeviceMaintenanceStrategy::isMassStorageProtocolActive -- ");
}

void NoDeviceMaintenanceStrategy::lockMassStorageProtocol(SerialPort&) {
  notSupported(L"NoDeviceMaintenanceStrategy::lockMassStorageProtocol -- ");
}

void NoDeviceMaintenanceStrategy::releaseMassStorageProtocol(SerialPort&) {
  notSupported(L"NoDeviceMaintenanceStrategy::releaseMassStorageProtocol -- ");
}

std::unique_ptr<DeviceMaintenanceStrategy> NoDeviceMaintenanceStrategy::clone() const {
  return std::make_unique<NoDeviceMaintenanceStrategy>();
}

void NoMonitorModeStrategy::startMonitorMode(SerialPort&, MonitorSink*, QuorlinDevice*) {
  notSupported(L"NoMonitorModeStrategy::startMonitorMode -- ");
}

int NoMonitorModeStrategy::stopMonitorMode() {
  notSupported(L"NoMonitorModeStrategy::stopMonitorMode -- ");
}

void NoMonitorModeStrategy::startGlint(SerialPort&) {
  notSupported(L"NoMonitorModeStrategy::startGlint -- ");
}

void NoMonitorModeStrategy::stopGlint(SerialPort&) {
  notSupported(L"NoMonitorodeStrategy::stopGlint -- ");
}

std::unique_ptr<MonitorModeStrategy> NoMonitorModeStrategy::clone() const {
  return std::make_unique<NoMonitorModeStrategy>();
}

}  // namespace QrCom
