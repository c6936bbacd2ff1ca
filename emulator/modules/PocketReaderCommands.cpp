#include "emulator/modules/PocketReaderCommands.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kPrefix = 0x05;
constexpr uint8_t kSerialNumber = 0x05;
constexpr size_t kSerialLength = 8;
}  // namespace

PocketReaderCommands::PocketReaderCommands(std::string serialNumber)
    : serialNumber_(std::move(serialNumber)) {
  handle(kSerialNumber, [this](Display& display) {
    Bytes serial(serialNumber_.begin(), serialNumber_.end());
    serial.resize(kSerialLength, 0x00);
    display.send(serial);
  });
}

bool PocketReaderCommands::onByte(Display& display, uint8_t byte) {
  if (byte != kPrefix || display.mode() != Mode::Normal) return false;
  display.expectOneByte([this, &display](uint8_t command) {
    const auto found = commands_.find(command);
    if (found != commands_.end()) found->second(display);
  });
  return true;
}

}  // namespace QrEmu
