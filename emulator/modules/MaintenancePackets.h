#pragma once

#include <cstdint>
#include <string>

#include "emulator/Module.h"

namespace QrEmu {

// The clock a display keeps.
struct DisplayClock {
  uint16_t year = 2024;
  uint8_t month = 1;
  uint8_t day = 1;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
};

// The maintenance commands of the current firmware and the Fundo line as extended packets:
// Bluetooth PIN, battery figures, battery test mode and the real-time clock. Knobs are set
// under the display's lock.
class MaintenancePackets : public Module {
 public:
  bool onPacket(Display& display, const Packet& packet) override;

  std::string pin = "0000";
  // firstWord, secondWord and three bytes, as the device reports them.
  uint16_t batteryFirst = 3900;
  uint16_t batterySecond = 85;
  uint8_t batteryBytes[3] = {1, 0, 25};
  DisplayClock clock;
  // Set by the battery test command.
  bool batteryTestMode = false;
  // A PIN whose checksum does not add up is refused; counted here.
  uint32_t badChecksums = 0;

 private:
  void acknowledge(Display& display, bool positive);
};

}  // namespace QrEmu
