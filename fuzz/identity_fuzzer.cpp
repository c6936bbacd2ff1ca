// What a display says about itself: model id, protocol version, serial number (INFO mode,
// extended packets, pocket reader), firmware version, Bluetooth variant and the
// service-information record, each read from a fuzzed device.
#include <cstdint>
#include <string>

#include "fuzz/support/FuzzPort.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/ServiceInfo.h"
#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"

namespace {

// Every query of the cached answer, so a bad cache shows.
void inspect(const QrCom::SerialNumberRequestStrategy& strategy) {
  try {
    (void)strategy.getSerialNumber();
    (void)strategy.hasValidSerialNumber();
    (void)strategy.hasDefaultSerialNumber();
    (void)strategy.getDeliveryYear();
  } catch (const QrCom::QrException&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const uint8_t query = choose.byte();
  const uint8_t modelIds[] = {84, 85, 97, 100, 51, 129, 135, 148};
  const uint8_t modelId = choose.pick(modelIds);
  QrFuzz::FuzzPort port(*clock, data, size, query);
  try {
    switch ((query & 0x3F) % 9) {
      case 0:
        (void)QrCom::QuorlinDevice::identifyModel(port);
        break;
      case 1:
        (void)QrCom::QuorlinDevice::queryProtocolVersion(port);
        break;
      case 2: {
        QrCom::InfoModeSerialNumberRequestStrategy strategy;
        strategy.readSerialNumber(port);
        inspect(strategy);
        break;
      }
      case 3: {
        QrCom::QrBrlOsSerialNumberRequestStrategy strategy(modelId);
        strategy.readSerialNumber(port);
        inspect(strategy);
        strategy.setSerialNumber(port, L"OB40123456");
        break;
      }
      case 4: {
        QrCom::FnxSerialNumberRequestStrategy strategy(modelId);
        strategy.readSerialNumber(port);
        inspect(strategy);
        break;
      }
      case 5: {
        QrCom::PagelingSerialNumberRequestStrategy strategy;
        strategy.readSerialNumber(port);
        inspect(strategy);
        break;
      }
      case 6: {
        QrCom::QrBrlOsFirmwareVersionRequestStrategy strategy(modelId);
        strategy.requestFirmwareVersion(port);
        (void)strategy.getFirmwareVersion();
        break;
      }
      case 7: {
        QrCom::QrBrlOsIsBluetoothVersionRequestStrategy strategy(modelId);
        strategy.requestBluetoothVersion(port);
        (void)strategy.isBluetoothVersion();
        break;
      }
      default: {
        QrCom::ServiceInfoAwareDeviceMaintenanceStrategy strategy(modelId);
        QrCom::ServiceInfo info;
        strategy.receiveServiceInformation(port, info);
        strategy.sendServiceInformation(port, info);
        break;
      }
    }
  } catch (const QrCom::QrException&) {
  }
  return 0;
}
