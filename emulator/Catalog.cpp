#include "emulator/Catalog.h"

#include <cctype>

#include "emulator/modules/BluetoothModule.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/CellMonitor.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/IapLoader.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/InfoModeSerialNumber.h"
#include "emulator/modules/LineMonitor.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "emulator/modules/PacketSerialNumber.h"
#include "emulator/modules/PocketReaderCommands.h"
#include "emulator/modules/PocketReaderMonitor.h"
#include "emulator/modules/PocketReaderStorage.h"
#include "emulator/modules/ProtocolVersion.h"
#include "emulator/modules/RateSwitch.h"
#include "emulator/modules/SecondaryProcessors.h"
#include "emulator/modules/ServiceInformation.h"
#include "emulator/modules/VersionQueries.h"
#include "qrcom/device/ModelTable.h"

namespace QrEmu {

using namespace QrCom::ModelTable;

namespace {

// The pocket reader's command that starts monitor mode.
constexpr uint8_t kPocketReaderMonitor = 0x07;

// The file system a display's firmware serves, as the host's strategy selection expects it.
void addFileTransfer(Display& display, uint8_t modelId, uint16_t version) {
  if (isLegacyLine(modelId)) {
    display.add<FileTransfer>(Generation::Legacy);
    if (version == 2) display.add<RateSwitch>();
  } else if (isQrBrlOsLine(modelId) && !isPocketDisplay(modelId) && version > 0) {
    display.add<FileTransfer>(version > 0x0100 ? Generation::Current : Generation::Legacy);
    display.add<RateSwitch>();
  } else if (isPocketDisplay(modelId) && version > 0) {
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
  if (hasIapLoader(modelId)) {
    display.add<MaintenancePackets>();
  }
  if (isQrBrlOsLine(modelId) && version == 0x0103) display.add<MassStorageLock>();
}

}  // namespace

Bytes DisplayIdentity::sampleServiceRecord() {
  // Kind 1, number 417, delivered 03/2022, serviced 11/2023.
  return {0x01, 0xA1, 0x01, 0x03, 0x16, 0x00, 0x0B, 0x17, 0x00, 0x00,
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

std::string sampleSerialNumber(uint8_t modelId) {
  if (modelId == kPageling) return "PG220417";
  std::string letters;
  if (isFundoLine(modelId)) letters = "FNX";
  for (const wchar_t* name = modelName(modelId); *name != 0 && letters.size() < 3; ++name) {
    if (std::isalpha(static_cast<unsigned char>(*name))) {
      letters += static_cast<char>(std::toupper(static_cast<unsigned char>(*name)));
    }
  }
  if (letters.size() < 3) letters = "QRL";
  return letters + "-22-00417";
}

std::unique_ptr<Display> makeDisplay(uint8_t modelId, uint16_t protocolVersion,
                                     const DisplayIdentity& identity) {
  auto display = std::make_unique<Display>(modelId, protocolVersion);
  // Monitor streams come first: they see every exchange the host starts, which ends a stream.
  if (isQrBrlOsLine(modelId)) display->add<CellMonitor>();
  if (isLegacyLine(modelId)) display->add<LineMonitor>();
  PocketReaderMonitor* pocketMonitor =
      modelId == kPageling ? &display->add<PocketReaderMonitor>() : nullptr;
  display->add<Identification>();
  display->add<ProtocolVersion>();
  addFileTransfer(*display, modelId, protocolVersion);

  const std::string serial =
      identity.serialNumber.empty() ? sampleSerialNumber(modelId) : identity.serialNumber;
  const bool current = isQrBrlOsLine(modelId) || isFundoLine(modelId);
  if (pocketMonitor != nullptr) {
    auto& commands = display->add<PocketReaderCommands>(serial);
    commands.handle(kPocketReaderMonitor,
                    [pocketMonitor](Display& reader) { pocketMonitor->start(reader); });
    display->add<PocketReaderStorage>(commands);
  }
  // The older displays with an EPROM boot loader answer INFO mode there; the Tilbry has none.
  if (modelId == 68) display->add<InfoModeSerialNumber>(serial);
  if (hasIapLoader(modelId)) display->add<PacketSerialNumber>(serial);
  if (current) display->add<FirmwareVersion>(identity.firmwareMajor, identity.firmwareMinor);
  if (isFundoLine(modelId)) display->add<BluetoothVariant>(identity.bluetooth);
  if (isLegacyLine(modelId) || keepsServiceRecord(modelId, protocolVersion)) {
    display->add<ServiceInformation>(identity.serviceRecord);
  }
  if (hasEpromBootLoader(modelId)) {
    // INFO mode tells the display's own serial number.
    EpromBootLoader::Options options;
    options.serialNumber = serial;
    display->add<EpromBootLoader>(options);
  }
  addMaintenance(*display, modelId, protocolVersion);
  // Main firmware by in-application programming; the further processors of the current line.
  if (hasIapLoader(modelId)) display->add<IapLoader>();
  if (isQrBrlOsLine(modelId)) {
    display->add<SecondaryProcessors>();
    display->add<BluetoothModule>();
  }
  return display;
}

}  // namespace QrEmu
