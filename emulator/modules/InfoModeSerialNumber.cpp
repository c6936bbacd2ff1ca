#include "emulator/modules/InfoModeSerialNumber.h"

#include <algorithm>

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kInfoMode = 0xAE;
constexpr uint8_t kReady = 0x4F;
constexpr char kInfoWord[] = "INFO ";
constexpr char kInfoEcho[] = "INFOI";
constexpr uint8_t kSerialCommand = 'N';
constexpr size_t kInfoBlock = 40;
}  // namespace

bool InfoModeSerialNumber::onByte(Display& display, uint8_t byte) {
  if (byte != kInfoMode || display.mode() != Mode::Normal) return false;
  display.send({kReady});
  display.expectBytes(sizeof kInfoWord - 1, [this, &display](const Bytes& word) {
    if (word != Bytes(kInfoWord, kInfoWord + sizeof kInfoWord - 1)) return;
    display.send(Bytes(kInfoEcho, kInfoEcho + sizeof kInfoEcho - 1));
    display.expectOneByte([this, &display](uint8_t command) {
      if (command != kSerialCommand) {
        display.startExchange(command);
        return;
      }
      Bytes block(kInfoBlock, 0x00);
      std::copy_n(serialNumber_.begin(), std::min(serialNumber_.size(), kInfoBlock), block.begin());
      display.send(block);
    });
  });
  return true;
}

}  // namespace QrEmu
