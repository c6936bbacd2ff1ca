#pragma once

#include <optional>

#include "emulator/Bytes.h"
#include "emulator/Module.h"

namespace QrEmu {

// The 20-byte service-information record: packet 0x31 reads it (0xFE when the display has
// none), packet 0x30 with 20 bytes stores it and is acknowledged.
class ServiceInformation : public Module {
 public:
  explicit ServiceInformation(std::optional<Bytes> record) : record_(std::move(record)) {}

  bool onPacket(Display& display, const Packet& packet) override;

  // Read under the display's lock while a transport runs.
  const std::optional<Bytes>& record() const { return record_; }

 private:
  std::optional<Bytes> record_;
};

}  // namespace QrEmu
