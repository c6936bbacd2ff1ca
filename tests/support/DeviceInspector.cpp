#include "tests/support/DeviceInspector.h"

#include <mutex>

namespace QrTest {

using namespace QrCom;

ServiceInfoMaintenanceStrategy& DeviceInspector::serviceInfo() const {
  return *device_.strategies_.serviceInfo;
}
SerialNumberRequestStrategy& DeviceInspector::serialNumber() const {
  return *device_.strategies_.serialNumber;
}
DeviceMaintenanceStrategy& DeviceInspector::maintenance() const {
  return *device_.strategies_.maintenance;
}

void DeviceInspector::replace(std::unique_ptr<SerialNumberRequestStrategy> strategy) {
  device_.strategies_.serialNumber = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<FirmwareUploadStrategy> strategy) {
  device_.strategies_.firmwareUpload = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<FileTransferStrategy> strategy) {
  device_.strategies_.fileTransfer = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<DeviceMaintenanceStrategy> strategy) {
  device_.strategies_.maintenance = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<MonitorModeStrategy> strategy) {
  device_.strategies_.monitorMode = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<ServiceInfoMaintenanceStrategy> strategy) {
  device_.strategies_.serviceInfo = std::move(strategy);
}

uint32_t DeviceInspector::portState() const {
  std::lock_guard<NativeMutex> guard(device_.lock_);
  return device_.portState_;
}

SerialPort* DeviceInspector::currentPort() const {
  std::lock_guard<NativeMutex> guard(device_.lock_);
  return device_.currentPort_.get();
}

int DeviceInspector::nestingCount() const {
  return device_.nestingCount_;
}

void DeviceInspector::lockDevice() {
  device_.lock_.lock();
}

void DeviceInspector::unlockDevice() {
  device_.lock_.unlock();
}

}  // namespace QrTest
