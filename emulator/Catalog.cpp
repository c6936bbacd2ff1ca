#include "emulator/Catalog.h"

#include "emulator/modules/Identification.h"
#include "emulator/modules/ProtocolVersion.h"

namespace QrEmu {

std::unique_ptr<Display> makeDisplay(uint8_t modelId, uint16_t protocolVersion) {
  auto display = std::make_unique<Display>(modelId, protocolVersion);
  display->add<Identification>();
  display->add<ProtocolVersion>();
  return display;
}

}  // namespace QrEmu
