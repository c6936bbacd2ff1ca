#pragma once

#include <atomic>
#include <cstdint>

#include "emulator/Module.h"

namespace QrEmu {

// The protocol-version exchange: 0x0C is answered with 06 0C hi lo 16, and the host confirms
// with 06 16, by the firmware and by the IAP loader. A display whose protocol version is 0
// doesn't know the request and ignores it.
class ProtocolVersion : public Module {
 public:
  bool onByte(Display& display, uint8_t byte) override;
  // How many answers the host confirmed with 06 16.
  uint32_t confirmations() const { return confirmations_; }

 private:
  void awaitConfirmation(Display& display, uint8_t expected);
  std::atomic<uint32_t> confirmations_{0};
};

}  // namespace QrEmu
