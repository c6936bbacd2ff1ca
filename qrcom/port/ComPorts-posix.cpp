#include "qrcom/base/Utf8.h"
#include "qrcom/port/ComPorts.h"
#include "qrcom/port/PosixPortTable.h"
#include "qrcom/port/PosixSerialPort.h"

namespace QrCom {

std::unique_ptr<SerialPort> openSystemComPort(int number) {
  return std::make_unique<PosixSerialPort>(fromUtf8(portTable().path(number)), number);
}

std::wstring comPortName(int number) {
  return fromUtf8(portTable().path(number));
}

std::vector<int> enumerateComPorts() {
  return portTable().numbers();
}

}  // namespace QrCom
