#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/SerialNumberRules.h"

namespace QrCom {

namespace {
constexpr uint8_t kRequest[] = {0x05, 0x05};
constexpr uint32_t kSerialNumberSize = 8;
constexpr int kAttempts = 5;
}  // namespace

void PagelingSerialNumberRequestStrategy::setSerialNumber(SerialPort&, const std::wstring&) {
  notSupported(L"PagelingSerialNumberRequestStrategy::setSerialNumber ");
}

int PagelingSerialNumberRequestStrategy::getDeliveryYear() const {
  notSupported(L"PagelingSerialNumberRequestStrategy::getDeliveryYear ");
}

std::unique_ptr<SerialNumberRequestStrategy> PagelingSerialNumberRequestStrategy::clone() const {
  return std::make_unique<PagelingSerialNumberRequestStrategy>(*this);
}

void PagelingSerialNumberRequestStrategy::readSerialNumber(SerialPort& port) {
  uint8_t answer[kSerialNumberSize] = {};
  try {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      port.purge();
      port.writeBuffer(kRequest, sizeof kRequest);
      if (port.readBuffer(answer, kSerialNumberSize) == kSerialNumberSize) break;
    }
  } catch (const QrException&) {
    return;
  }
  // Also after five short answers: what arrived, up to the first byte that did not.
  serialNumber_ = SerialNumberRules::fromBytes(answer, kSerialNumberSize);
}

}  // namespace QrCom
