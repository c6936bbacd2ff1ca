#include "qrcom/protocol/QrBrlOsMaintenanceStrategy.h"

#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"
#include "qrcom/protocol/BrailleTableUpload.h"
#include "qrcom/protocol/LegacyFraming.h"
#include "qrcom/protocol/MaintenancePackets.h"
#include "qrcom/protocol/MaintenanceServices.h"

namespace QrCom {

namespace {
constexpr uint8_t kSetClock = 0x44;
constexpr uint8_t kGetClock = 0x45;
constexpr uint8_t kClockLength = 0x08;
constexpr uint32_t kClockAnswer = 12;
}  // namespace

void QrBrlOsMaintenanceStrategy::receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256],
                                                     const std::wstring& name, int slot,
                                                     bool searchBackwards) {
  if (legacyFlag_) notSupported(L"QrBrlOsMaintenanceStrategy::receiveBrailleTable -- ");
  const uint8_t attribute = BrailleTableUpload::attribute(
      slot, searchBackwards, supportsService(MaintenanceServices::kSearchBackwards));
  const std::string ansi = toAnsi(name.substr(0, BrailleTableUpload::kMaxNameCharacters));
  if (ansi.size() > kMaxTableName) {
    throw InvalidArgumentException(
        compose(BrailleTableUpload::kPrefix, L"Braille table name is longer than 70 bytes."));
  }
  // No time stamp for a table: all seven bytes zero.
  BrailleTableUpload::send(port, table, currentHeaderBody(ansi, CalendarTime{}, attribute));
}

void QrBrlOsMaintenanceStrategy::getUsedBrailleTables(SerialPort& port, int& first, int& second) {
  if (legacyFlag_) notSupported(L"QrBrlOsMaintenanceStrategy::getUsedBrailleTables -- ");
  BrailleSystemVersion428MaintenanceStrategy::getUsedBrailleTables(port, first, second);
}

void QrBrlOsMaintenanceStrategy::activateBrailleTable(SerialPort& port, uint8_t slot) {
  if (legacyFlag_) notSupported(L"QrBrlOsMaintenanceStrategy::activateBrailleTable -- ");
  BrailleSystemVersion428MaintenanceStrategy::activateBrailleTable(port, slot);
}

void QrBrlOsMaintenanceStrategy::getBrailleTablesNames(SerialPort& port,
                                                       BrailleTablesNames& names) {
  if (legacyFlag_) notSupported(L"QrBrlOsMaintenanceStrategy::getBrailleTablesNames -- ");
  BrailleSystemVersion428MaintenanceStrategy::getBrailleTablesNames(port, names);
}

void QrBrlOsMaintenanceStrategy::setBluetoothPin(SerialPort& port, const std::wstring& pin) {
  MaintenancePackets::setBluetoothPin(port, modelId_, pin,
                                      L"QrBrlOsMaintenanceStrategy::setBluetoothPin -- ");
}

void QrBrlOsMaintenanceStrategy::getBluetoothPin(SerialPort& port, wchar_t* pin,
                                                 uint32_t capacity) {
  MaintenancePackets::getBluetoothPin(port, modelId_, pin, capacity,
                                      L"QrBrlOsMaintenanceStrategy::getBluetoothPin -- ");
}

void QrBrlOsMaintenanceStrategy::requestBatteryInfo(SerialPort& port, BatteryInfo* info) {
  MaintenancePackets::requestBatteryInfo(port, modelId_, info,
                                         L"QrBrlOsMaintenanceStrategy::requestBatteryInfo -- ");
}

void QrBrlOsMaintenanceStrategy::startBatteryTestMode(SerialPort& port) {
  MaintenancePackets::startBatteryTestMode(port, modelId_,
                                           L"QrBrlOsMaintenanceStrategy::startBatteryTestMode -- ");
}

// The year goes out low byte first, as the PC holds it in memory.
void QrBrlOsMaintenanceStrategy::setRealTimeClock(SerialPort& port, const DeviceDateTime& time) {
  const uint8_t payload[7] = {static_cast<uint8_t>(time.year & 0xFF),
                              static_cast<uint8_t>(time.year >> 8),
                              time.month,
                              time.day,
                              time.hour,
                              time.minute,
                              time.second};
  sendPacket(port, buildPacket(modelId_, kSetClock, payload, sizeof payload));
  const bool acknowledged = readAcknowledgement(port).positive();
  port.purge();
  if (!acknowledged) {
    throw ErrorOnSettingDateTime(compose(L"QrBrlOsMaintenanceStrategy::setRealTimeClock -- ",
                                         L"No ACK for setting date and time received."));
  }
}

// The answer carries the year high byte first, unlike the request.
void QrBrlOsMaintenanceStrategy::getRealTimeClock(SerialPort& port, DeviceDateTime* time) {
  if (time == nullptr) return;
  time->year = 0;
  time->month = 0;
  time->day = 0;
  sendPacket(port, buildPacket(modelId_, kGetClock));
  uint8_t answer[kClockAnswer] = {};
  const bool complete = port.readBuffer(answer, kClockAnswer, false) == kClockAnswer;
  if (!complete || !(answer[0] == Packet::kStart || answer[1] == modelId_ ||
                     answer[2] == kClockLength || answer[3] == kGetClock)) {
    throw ErrorOnReceivingDateTime(compose(L"QrBrlOsMaintenanceStrategy::getRealTimeClock -- ",
                                           L"Error in protocol. Invalid answer."));
  }
  time->year = static_cast<uint16_t>(answer[4] << 8 | answer[5]);
  time->month = answer[6];
  time->day = answer[7];
  time->hour = answer[8];
  time->minute = answer[9];
  time->second = answer[10];
}

bool QrBrlOsMaintenanceStrategy::supportsService(int serviceId) const {
  using namespace MaintenanceServices;
  if (inRange(serviceId, kFirstPacketService, kLastClockService)) return true;
  return !legacyFlag_ && BrailleSystemVersion428MaintenanceStrategy::supportsService(serviceId);
}

std::unique_ptr<DeviceMaintenanceStrategy> QrBrlOsMaintenanceStrategy::clone() const {
  return std::make_unique<QrBrlOsMaintenanceStrategy>(*this);
}

}  // namespace QrCom
