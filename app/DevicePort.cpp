#include "app/DevicePort.h"

#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrApp {

namespace {
constexpr int kSerialNumberService = 12;
}  // namespace

DeviceLabel deviceLabel(const QrCom::QuorlinDevice& device, uint16_t language) {
  DeviceLabel label;
  label.modelId = device.getModelId();
  label.port = devicePortText(device, language);
  if (device.isServiceSupported(kSerialNumberService)) {
    // A display that cannot tell its serial number is named without one.
    try {
      label.serialNumber = device.getSerialNumber();
    } catch (const QrCom::QrException&) {
    }
  }
  return label;
}

}  // namespace QrApp
