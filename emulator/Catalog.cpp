#include "emulator/Catalog.h"

#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/LineMonitor.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "emulator/modules/ProtocolVersion.h"
#include "emulator/modules/RateSwitch.h"
#include "qrcom/device/ModelTable.h"

namespace QrEmu {

using namespace QrCom::ModelTable;

namespace {

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

// Table slots, the maintenance packets and the mass-storage lock.
void addMaintenance(Display& display, uint8_t modelId, uint16_t version) {
  if (isLegacyLine(modelId) || (isQrBrlOsLine(modelId) && version != 0)) {
    FileTransfer* files = display.find<FileTransfer>();
    display.add<BrailleTableSlots>(files != nullptr ? &files->files() : nullptr);
  }
  if (isQrBrlOsLine(modelId) || isFundoLine(modelId) || modelId == 51) {
    display.add<MaintenancePackets>();
  }
  if (isQrBrlOsLine(modelId) && version == 0x0103) display.add<MassStorageLock>();
}

}  // namespace

std::unique_ptr<Display> makeDisplay(uint8_t modelId, uint16_t protocolVersion) {
  auto display = std::make_unique<Display>(modelId, protocolVersion);
  // Monitor streams come first: they see every exchange the host starts, which ends a stream.
  if (isQrBrlOsLine(modelId)) display->add<CellMonitor>();
  if (isLegacyLine(modelId)) display->add<LineMonitor>();
  display->add<Identification>();
  display->add<ProtocolVersion>();
  addFileTransfer(*display, modelId, protocolVersion);
  addMaintenance(*display, modelId, protocolVersion);
  return display;
}

}  // namespace QrEmu
