#include "emulator/Catalog.h"

#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/ProtocolVersion.h"
#include "emulator/modules/RateSwitch.h"

namespace QrEmu {

namespace {

bool isLegacyLine(uint8_t modelId) {
  return modelId == 5 || modelId == 114 || modelId == 116 || modelId == 120;
}

// The file system a display's firmware serves, as the host's strategy selection expects it.
void addFileTransfer(Display& display, uint8_t modelId, uint16_t version) {
  if (isLegacyLine(modelId)) {
    display.add<FileTransfer>(Generation::Legacy);
    if (version == 2) display.add<RateSwitch>();
  } else if ((modelId == 84 || modelId == 85) && version > 0) {
    display.add<FileTransfer>(version > 0x0100 ? Generation::Current : Generation::Legacy);
    display.add<RateSwitch>();
  } else if ((modelId == 97 || modelId == 100) && version > 0) {
    display.add<FileTransfer>(Generation::Current);
    display.add<RateSwitch>();
  }
}

// The boot loader in the EPROM of the older displays, which loads their main firmware.
bool hasEpromBootLoader(uint8_t modelId) {
  for (int id : {4, 5, 50, 53, 54, 56, 58, 114, 116, 120}) {
    if (id == modelId) return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<Display> makeDisplay(uint8_t modelId, uint16_t protocolVersion) {
  auto display = std::make_unique<Display>(modelId, protocolVersion);
  display->add<Identification>();
  display->add<ProtocolVersion>();
  addFileTransfer(*display, modelId, protocolVersion);
  if (hasEpromBootLoader(modelId)) display->add<EpromBootLoader>();
  return display;
}

}  // namespace QrEmu
