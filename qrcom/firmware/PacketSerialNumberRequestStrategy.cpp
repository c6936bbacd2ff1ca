#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"

#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/firmware/SerialNumberRules.h"

namespace QrCom {

namespace {
constexpr uint8_t kReadSerialNumber = 0x41;
constexpr uint8_t kSetSerialNumber = 0x40;
constexpr int kReadService = 12;
constexpr int kSetService = 13;
}  // namespace

PacketSerialNumberRequestStrategy::PacketSerialNumberRequestStrategy(uint8_t modelId,
                                                                     const wchar_t* className)
    : modelId_(modelId), className_(className) {}

std::wstring PacketSerialNumberRequestStrategy::prefix(const wchar_t* operation) const {
  return compose(std::wstring(className_), L"::", operation, L" -- ");
}

std::wstring PacketSerialNumberRequestStrategy::getSerialNumber() const {
  if (serialNumber_.empty()) notSupported(prefix(L"getSerialNumber"));
  return serialNumber_;
}

void PacketSerialNumberRequestStrategy::setSerialNumber(SerialPort& port,
                                                        const std::wstring& serialNumber) {
  sendPacket(port, buildTextPacket(modelId_, kSetSerialNumber, serialNumber));
  if (!readAcknowledgement(port).positive()) {
    // The device's refusal text is the one of the Bluetooth PIN command.
    throw ErrorOnSettingSerialNumber(
        compose(prefix(L"setSerialNumber"), L"Not ACK for setting bluetooth pin received."));
  }
  serialNumber_ = serialNumber.substr(0, SerialNumberRules::kMaxLength);
}

bool PacketSerialNumberRequestStrategy::hasValidSerialNumber() const {
  return SerialNumberRules::isValid(serialNumber_);
}

bool PacketSerialNumberRequestStrategy::hasDefaultSerialNumber() const {
  const wchar_t* factoryDefault = defaultSerialNumber();
  return factoryDefault != nullptr && SerialNumberRules::isDefault(serialNumber_, factoryDefault);
}

int PacketSerialNumberRequestStrategy::getDeliveryYear() const {
  return SerialNumberRules::deliveryYear(serialNumber_);
}

bool PacketSerialNumberRequestStrategy::supportsService(int serviceId) const {
  return serviceId == kReadService || serviceId == kSetService;
}

void PacketSerialNumberRequestStrategy::readSerialNumber(SerialPort& port) {
  try {
    sendPacket(port, buildPacket(modelId_, kReadSerialNumber));
    DataAnswer answer;
    if (!readDataAnswer(port, modelId_, kReadSerialNumber, answer)) return;
    serialNumber_ = SerialNumberRules::fromBytes(answer.payload(), answer.payloadSize());
  } catch (const QrException&) {
    serialNumber_.clear();
    throw;
  }
}

FnxSerialNumberRequestStrategy::FnxSerialNumberRequestStrategy(uint8_t modelId)
    : PacketSerialNumberRequestStrategy(modelId, L"FnxSerialNumberRequestStrategy") {}

std::unique_ptr<SerialNumberRequestStrategy> FnxSerialNumberRequestStrategy::clone() const {
  return std::make_unique<FnxSerialNumberRequestStrategy>(*this);
}

const wchar_t* FnxSerialNumberRequestStrategy::defaultSerialNumber() const {
  return ModelTable::isFnxLine(modelId_) ? L"A0-13000" : nullptr;
}

QrBrlOsSerialNumberRequestStrategy::QrBrlOsSerialNumberRequestStrategy(uint8_t modelId)
    : PacketSerialNumberRequestStrategy(modelId, L"QrBrlOsSerialNumberRequestStrategy") {}

std::unique_ptr<SerialNumberRequestStrategy> QrBrlOsSerialNumberRequestStrategy::clone() const {
  return std::make_unique<QrBrlOsSerialNumberRequestStrategy>(*this);
}

const wchar_t* QrBrlOsSerialNumberRequestStrategy::defaultSerialNumber() const {
  switch (modelId_) {
    case 84:
    case 85:
      return L"A0-10000";
    case 97:
      return L"A0-16000";
    case 100:
      return L"A0-14000";
    case 132:
      return L"A0-12000";
    default:
      return nullptr;
  }
}

}  // namespace QrCom
