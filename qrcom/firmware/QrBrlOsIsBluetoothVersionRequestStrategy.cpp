#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"

#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {
constexpr uint8_t kVariantRequest = 0xC1;
constexpr uint32_t kAnswerSize = 16;
constexpr size_t kVariantByte = 11;
constexpr uint8_t kBluetoothBits = 0x03;
}  // namespace

bool QrBrlOsIsBluetoothVersionRequestStrategy::isBluetoothVersion() const {
  if (!known_) notSupported(L"QrBrlOsIsBluetoothVersionRequestStrategy::isBluetoothVersion -- ");
  return isBluetooth_;
}

std::unique_ptr<IsBluetoothVersionRequestStrategy> QrBrlOsIsBluetoothVersionRequestStrategy::clone()
    const {
  return std::make_unique<QrBrlOsIsBluetoothVersionRequestStrategy>(*this);
}

void QrBrlOsIsBluetoothVersionRequestStrategy::requestBluetoothVersion(SerialPort& port) {
  try {
    sendPacket(port, buildPacket(modelId_, kVariantRequest));
    uint8_t answer[kAnswerSize] = {};
    if (port.readBuffer(answer, kAnswerSize) < kAnswerSize) return;
    if (answer[0] != Packet::kStart && answer[1] != modelId_ && answer[3] != kVariantRequest) {
      return;
    }
    known_ = true;
    isBluetooth_ = (answer[kVariantByte] & kBluetoothBits) != 0;
  } catch (const QrException&) {
    known_ = false;
    throw;
  }
}

}  // namespace QrCom
