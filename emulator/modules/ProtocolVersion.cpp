#include "emulator/modules/ProtocolVersion.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kRequest = 0x0C;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kEnd = 0x16;
}  // namespace

bool ProtocolVersion::onByte(Display& display, uint8_t byte) {
  const uint16_t version = display.protocolVersion();
  const bool answering = display.mode() == Mode::Normal || display.mode() == Mode::Iap;
  if (byte != kRequest || version == 0 || !answering) return false;
  display.send({kAck, kRequest, static_cast<uint8_t>(version >> 8),
                static_cast<uint8_t>(version & 0xFF), kEnd});
  awaitConfirmation(display, kAck);
  return true;
}

void ProtocolVersion::awaitConfirmation(Display& display, uint8_t expected) {
  display.expectOneByte([this, &display, expected](uint8_t byte) {
    if (byte != expected) {
      // The host didn't like the answer and went on with something else.
      display.startExchange(byte);
    } else if (expected == kAck) {
      awaitConfirmation(display, kEnd);
    } else {
      ++confirmations_;
    }
  });
}

}  // namespace QrEmu
