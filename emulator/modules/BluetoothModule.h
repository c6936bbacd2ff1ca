#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Module.h"

namespace QrEmu {

// The Bluetooth module of a current display, updated through the running firmware: 0x6A
// begins, each record follows as its text in packet 0x6B, 0x6C finishes and makes the records
// the module's firmware; 0x6D abandons the update (unanswered). Each is acknowledged (see
// Acknowledgement.h). Results under the display's lock.
class BluetoothModule : public Module {
 public:
  bool onPacket(Display& display, const Packet& packet) override;

  // The records of the last finished update, as received.
  const std::vector<std::string>& firmware() const { return firmware_; }
  uint32_t aborts() const { return aborts_; }

 private:
  bool updating_ = false;
  std::vector<std::string> received_;
  std::vector<std::string> firmware_;
  uint32_t aborts_ = 0;
};

}  // namespace QrEmu
