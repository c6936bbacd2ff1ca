#include "app/DevicePort.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrApp {

std::wstring devicePortText(const QrCom::QuorlinDevice& device, uint16_t language) {
  if (device.isUsbHid()) return usbHidPortText(language);
  return comPortText(device.getPortNumber(), language);
}

}  // namespace QrApp
