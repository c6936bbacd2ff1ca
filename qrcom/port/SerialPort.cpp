#include "qrcom/port/SerialPort.h"

namespace QrCom {

uint32_t SerialPort::readBuffer(uint8_t* data, uint32_t length) {
  return readBuffer(data, length, true);
}

void SerialPort::writeByte(uint8_t value) {
  writeBuffer(&value, 1);
}

}  // namespace QrCom
