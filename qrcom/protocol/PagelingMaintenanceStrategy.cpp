#include "qrcom/protocol/PagelingMaintenanceStrategy.h"

#include <algorithm>
#include <cstring>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/MaintenanceServices.h"
#include "qrcom/protocol/PagelingProtocol.h"

namespace QrCom {

namespace {
constexpr uint8_t kBeginOfTable = 0x1C;
constexpr uint8_t kStartOfTable = 0x0F;
constexpr uint8_t kEndOfTable = 0x17;
constexpr size_t kNameField = 8;
constexpr uint32_t kEraseMs = 250;
// The pocket reader's own maintenance services besides the table upload.
constexpr int kFirstPocketReaderService = 2;
constexpr int kLastPocketReaderService = 3;
}  // namespace

void PagelingMaintenanceStrategy::receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256],
                                                      const std::wstring& name, int, bool) {
  constexpr wchar_t kPrefix[] = L"PagelingMaintenanceStrategy::receiveBrailleTable -- ";
  if (name.empty()) {
    throw IllegalSourceFileNameException(compose(kPrefix, L"Braille table name is empty."));
  }
  uint8_t block[Pageling::kBlockSize];
  std::memset(block, Pageling::kBlank, sizeof block);
  block[0] = kBeginOfTable;
  // The low bytes of the name's first characters.
  for (size_t i = 0; i < std::min(name.size(), kNameField); ++i) {
    block[1 + i] = static_cast<uint8_t>(name[i] & 0xFF);
  }
  block[1 + kNameField] = kStartOfTable;
  std::memcpy(block + 2 + kNameField, table, sizeof table);
  block[2 + kNameField + sizeof table] = kEndOfTable;
  Pageling::openTransaction(port, Pageling::kUploadBrailleTable, kPrefix);
  Pageling::sendBlock(port, block, kPrefix);
  Pageling::endTransfer(port, kPrefix);
}

void PagelingMaintenanceStrategy::getUsedBrailleTables(SerialPort&, int&, int&) {
  notSupported(L"PagelingMaintenanceStrategy::getUsedBrailleTables -- ");
}

void PagelingMaintenanceStrategy::activateBrailleTable(SerialPort&, uint8_t) {
  notSupported(L"PagelingMaintenanceStrategy::activateBrailleTable -- ");
}

void PagelingMaintenanceStrategy::getBrailleTablesNames(SerialPort&, BrailleTablesNames&) {
  notSupported(L"PagelingMaintenanceStrategy::getBrailleTablesNames -- ");
}

void PagelingMaintenanceStrategy::deleteFlash(SerialPort& port) {
  Pageling::writeControl(port, Pageling::kEraseFlash);
  clock().sleep(kEraseMs);
  Pageling::awaitAnswer(port, L"PagelingMaintenanceStrategy::deleteFlash -- ");
}

void PagelingMaintenanceStrategy::doFactoryReset(SerialPort& port) {
  Pageling::writeControl(port, Pageling::kFactoryReset);
}

void PagelingMaintenanceStrategy::setBluetoothPin(SerialPort&, const std::wstring&) {
  notSupported(L"PagelingMaintenanceStrategy::setBluetoothPin -- ");
}

void PagelingMaintenanceStrategy::getBluetoothPin(SerialPort&, wchar_t*, uint32_t) {
  notSupported(L"PagelingMaintenanceStrategy::getBluetoothPin -- ");
}

void PagelingMaintenanceStrategy::requestBatteryInfo(SerialPort&, BatteryInfo*) {
  notSupported(L"PagelingMaintenanceStrategy::requestBatteryInfo -- ");
}

void PagelingMaintenanceStrategy::startBatteryTestMode(SerialPort&) {
  notSupported(L"PagelingMaintenanceStrategy::startBatteryTestMode -- ");
}

void PagelingMaintenanceStrategy::setRealTimeClock(SerialPort&, const DeviceDateTime&) {
  notSupported(L"PagelingMaintenanceStrategy::setRealTimeClock -- ");
}

void PagelingMaintenanceStrategy::getRealTimeClock(SerialPort&, DeviceDateTime*) {
  notSupported(L"PagelingMaintenanceStrategy::getRealTimeClock -- ");
}

bool PagelingMaintenanceStrategy::supportsService(int serviceId) const {
  return MaintenanceServices::inRange(serviceId, kFirstPocketReaderService,
                                      kLastPocketReaderService) ||
         serviceId == MaintenanceServices::kBrailleTableUpload;
}

std::unique_ptr<DeviceMaintenanceStrategy> PagelingMaintenanceStrategy::clone() const {
  return std::make_unique<PagelingMaintenanceStrategy>();
}

}  // namespace QrCom
