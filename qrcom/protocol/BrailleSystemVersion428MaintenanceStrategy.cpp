#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"

#include <vector>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

namespace {
constexpr wchar_t kActivatePrefix[] =
    L"BrailleSystemVersion428MaintenanceStrategy:activateBrailleTable -- ";
constexpr wchar_t kNamesPrefix[] =
    L"BrailleSystemVersion428MaintenanceStrategy:getBrailleTablesNames -- ";
constexpr uint8_t kActivateTable = 0x44;
constexpr uint8_t kGetTableNames = 0x45;
constexpr uint32_t kTableSwitchMs = 3000;
constexpr size_t kMaxNameCharacters = 259;

// Slots 1 to 9 in order, each a length byte and that many ANSI bytes.
void parseNames(const std::vector<uint8_t>& data, BrailleTablesNames& names) {
  size_t offset = 0;
  for (int slot = BrailleTablesNames::kFirstSlot;
       slot <= BrailleTablesNames::kLastSlot && offset < data.size(); ++slot) {
    const size_t length = data[offset++];
    if (length > data.size() - offset) return;  // a name cut short by the end of the data
    if (length > 0) {
      const std::string ansi(data.begin() + offset, data.begin() + offset + length);
      names.setName(slot, fromAnsi(ansi).substr(0, kMaxNameCharacters));
    }
    offset += length;
  }
}
}  // namespace

void BrailleSystemVersion428MaintenanceStrategy::activateBrailleTable(SerialPort& port,
                                                                      uint8_t slot) {
  if (slot > 9) {
    throw InvalidArgumentException(
        compose(kActivatePrefix, L"Slotnumber for braille table transmission is out of range."));
  }
  port.purge();
  sendCommand(port, kActivateTable, kActivatePrefix, DeviceErrors::Maintenance);
  const uint8_t request[2] = {slot, Legacy::kSync};
  port.writeBuffer(request, 2);
  confirmCommand(port, Legacy::kSync, kActivatePrefix, DeviceErrors::Maintenance);
  clock().sleep(kTableSwitchMs);
}

void BrailleSystemVersion428MaintenanceStrategy::getBrailleTablesNames(SerialPort& port,
                                                                       BrailleTablesNames& names) {
  port.purge();
  sendCommand(port, kGetTableNames, kNamesPrefix, DeviceErrors::Maintenance);
  uint8_t length[2] = {};
  if (port.readBuffer(length, 2) < 2) {
    throw ErrorInProtocolException(compose(kNamesPrefix, L"no length received"));
  }
  std::vector<uint8_t> data(length[0] | length[1] << 8);
  if (!data.empty() &&
      port.readBuffer(data.data(), static_cast<uint32_t>(data.size())) < data.size()) {
    throw ErrorInProtocolException(
        compose(kNamesPrefix, L"error on receiving braille table names"));
  }
  names.clear();
  parseNames(data, names);
  acknowledge(port, Legacy::kSync);
}

bool BrailleSystemVersion428MaintenanceStrategy::supportsService(int serviceId) const {
  return serviceId == MaintenanceServices::kBrailleTableSlots ||
         BrailleSystemVersion20010MaintenanceStrategy::supportsService(serviceId);
}

std::unique_ptr<DeviceMaintenanceStrategy> BrailleSystemVersion428MaintenanceStrategy::clone()
    const {
  return std::make_unique<BrailleSystemVersion428MaintenanceStrategy>(*this);
}

}  // namespace QrCom
