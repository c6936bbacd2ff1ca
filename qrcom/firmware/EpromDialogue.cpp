#include "qrcom/firmware/EpromDialogue.h"

#include "qrcom/base/Clock.h"

namespace QrCom::Eprom {

bool answers(SerialPort& port, uint8_t command, uint8_t expected) {
  port.writeByte(command);
  return port.readByte() == expected;
}

void writeText(SerialPort& port, std::string_view text) {
  port.writeBuffer(reinterpret_cast<const uint8_t*>(text.data()),
                   static_cast<uint32_t>(text.size()));
}

bool echoes(SerialPort& port, std::string_view expected) {
  for (char character : expected) {
    if (port.readByte() != static_cast<uint8_t>(character)) return false;
  }
  return true;
}

void settle(SerialPort& port) {
  clock().sleep(500);
  port.purge();
  clock().sleep(500);
}

void abandon(SerialPort& port) {
  port.writeByte(kWake);
  clock().sleep(500);
  port.purge();
}

}  // namespace QrCom::Eprom
