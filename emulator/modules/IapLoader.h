#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Module.h"

namespace QrEmu {

// In-application programming of the current displays. Packet 0x99 restarts the display into its
// loader (payload 01) or into its firmware (00); either way the display leaves the USB bus and
// comes back under a new path. The loader unlocks (0x4A 00) and locks (0x4A 01) its flash,
// erases it (0x4B, unlocked only), and takes an upload: 0x4C begin (erased flash only), 0x4D one
// Intel HEX record as its text, 0x4E end, 0x4F abort. The records of a completed upload are the
// flashed image. Every command is acknowledged (see Acknowledgement.h). Results are read under
// the display's lock.
class IapLoader : public Module {
 public:
  static constexpr uint32_t kAwayMs = 1500;

  bool onPacket(Display& display, const Packet& packet) override;

  // The records of the last completed upload, as received.
  const std::vector<std::string>& flashed() const { return flashed_; }
  bool flashLocked() const { return locked_; }
  // Restarts into either mode so far.
  uint32_t restarts() const { return restarts_; }

 private:
  bool loaderCommand(Display& display, const Packet& packet);
  void restart(Display& display, bool intoLoader);
  bool takeRecord(const Packet& packet);

  bool locked_ = true;
  bool erased_ = false;
  bool uploading_ = false;
  std::vector<std::string> received_;
  std::vector<std::string> flashed_;
  uint32_t restarts_ = 0;
};

}  // namespace QrEmu
