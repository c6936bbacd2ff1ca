#include "app/DevicePort.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/port/ComPorts.h"

namespace QrApp {

std::wstring devicePortText(const QrCom::QuorlinDevice& device, uint16_t language) {
  if (device.isUsbHid()) return usbHidPortText(language);
  const std::wstring path = QrCom::comPortName(device.getPortNumber());
  // A number the port table does not know (a port opened some other way) keeps its number.
  if (path.empty()) return comPortText(device.getPortNumber(), language);
  return ttyPortText(path, language);
}

}  // namespace QrApp
