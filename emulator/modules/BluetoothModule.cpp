#include "emulator/modules/BluetoothModule.h"

#include "emulator/Display.h"
#include "emulator/modules/Acknowledgement.h"

namespace QrEmu {

namespace {
constexpr uint8_t kBegin = 0x6A;
constexpr uint8_t kRecord = 0x6B;
constexpr uint8_t kFinish = 0x6C;
constexpr uint8_t kAbort = 0x6D;
}  // namespace

bool BluetoothModule::onPacket(Display& display, const Packet& packet) {
  if (display.mode() != Mode::Normal || packet.type < kBegin || packet.type > kAbort) return false;
  if (packet.type == kAbort) {
    updating_ = false;
    received_.clear();
    ++aborts_;
    return true;
  }
  bool done = false;
  if (packet.type == kBegin) {
    updating_ = true;
    received_.clear();
    done = true;
  } else if (packet.type == kRecord) {
    done = updating_ && !packet.payload.empty() && packet.payload[0] == ':';
    if (done) received_.emplace_back(packet.payload.begin(), packet.payload.end());
  } else if (packet.type == kFinish && updating_) {
    firmware_ = received_;
    updating_ = false;
    done = true;
  }
  acknowledge(display, done);
  return true;
}

}  // namespace QrEmu
