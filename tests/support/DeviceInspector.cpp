#include "tests/support/DeviceInspector.h"

namespace QrTest {

using namespace QrCom;

void DeviceInspector::replace(std::unique_ptr<SerialNumberRequestStrategy> strategy) {
  slots().serialNumber = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<FirmwareUploadStrategy> strategy) {
  slots().firmwareUpload = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<FileTransferStrategy> strategy) {
  slots().fileTransfer = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<DeviceMaintenanceStrategy> strategy) {
  slots().maintenance = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<MonitorModeStrategy> strategy) {
  slots().monitorMode = std::move(strategy);
}
void DeviceInspector::replace(std::unique_ptr<ServiceInfoMaintenanceStrategy> strategy) {
  slots().serviceInfo = std::move(strategy);
}

}  // namespace QrTest
