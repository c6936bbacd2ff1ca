#include "emulator/modules/MassStorageLock.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kSync = 0x16;
constexpr uint8_t kState = 0x70;
constexpr uint8_t kLock = 0x71;
constexpr uint8_t kRelease = 0x72;
}  // namespace

bool MassStorageLock::onByte(Display& display, uint8_t byte) {
  if (display.mode() != Mode::Normal || byte < kState || byte > kRelease) return false;
  if (byte == kLock) locked = true;
  if (byte == kRelease) locked = false;
  Bytes answer = {kAck, byte};
  if (byte == kState) answer.push_back(state);
  answer.push_back(kSync);
  display.send(answer);
  display.expectBytes(2, [this, &display](const Bytes& reply) {
    if (reply[0] == kAck && reply[1] == kSync) {
      ++acknowledgements;
    } else {
      display.startExchange(reply[0]);
    }
  });
  return true;
}

}  // namespace QrEmu
