#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/SerialNumberRules.h"

namespace QrCom {

namespace {
constexpr uint8_t kEnterInfoMode = 0xAE;
constexpr uint8_t kInfoModeReady = 0x4F;
constexpr uint8_t kInfoRequest[] = {'I', 'N', 'F', 'O', ' ', 'N'};
constexpr uint8_t kInfoEcho[] = {'I', 'N', 'F', 'O', 'I'};
constexpr uint32_t kInfoAnswerSize = 40;
constexpr size_t kSerialNumberSize = 12;
constexpr uint8_t kLeaveInfoMode = 0xFF;
}  // namespace

std::wstring InfoModeSerialNumberRequestStrategy::getSerialNumber() const {
  if (serialNumber_.empty()) {
    notSupported(L"InfoModeSerialNumberRequestStrategy::getSerialNumber -- ");
  }
  return serialNumber_;
}

void InfoModeSerialNumberRequestStrategy::setSerialNumber(SerialPort&, const std::wstring&) {
  notSupported(L"InfoModeSerialNumberRequestStrategy::setSerialNumber -- ");
}

int InfoModeSerialNumberRequestStrategy::getDeliveryYear() const {
  return SerialNumberRules::deliveryYear(serialNumber_);
}

std::unique_ptr<SerialNumberRequestStrategy> InfoModeSerialNumberRequestStrategy::clone() const {
  return std::make_unique<InfoModeSerialNumberRequestStrategy>(*this);
}

void InfoModeSerialNumberRequestStrategy::readSerialNumber(SerialPort& port) {
  try {
    readInfoAnswer(port);
  } catch (const QrException&) {
    serialNumber_.clear();
  }
  port.writeByte(kLeaveInfoMode);
  try {
    port.purge();
  } catch (const QrException&) {
    // The boot loader is left already; what is still pending does not matter.
  }
}

void InfoModeSerialNumberRequestStrategy::readInfoAnswer(SerialPort& port) {
  port.purge();
  port.writeByte(kEnterInfoMode);
  if (port.readByte() != kInfoModeReady) return;
  port.writeBuffer(kInfoRequest, sizeof kInfoRequest);
  for (uint8_t expected : kInfoEcho) {
    if (port.readByte() != expected) return;
  }
  uint8_t answer[kInfoAnswerSize] = {};
  port.readBuffer(answer, kInfoAnswerSize);
  serialNumber_ = SerialNumberRules::fromBytes(answer, kSerialNumberSize);
}

}  // namespace QrCom
