#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"

#include <algorithm>

#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {
constexpr uint8_t kVersionRequest = 0xC2;
constexpr uint8_t kIapMode = 0;
constexpr uint8_t kNormalMode = 1;
}  // namespace

std::wstring QrBrlOsFirmwareVersionRequestStrategy::getFirmwareVersion() const {
  if (version_.empty()) {
    notSupported(L"QrBrlOsFirmwareVersionRequestStrategy::getFirmwareVersion -- ");
  }
  return version_;
}

std::wstring QrBrlOsFirmwareVersionRequestStrategy::cutFirmwareVersion(wchar_t separator) {
  getFirmwareVersion();  // fails while no version is known
  version_.resize(std::min(version_.find(separator), version_.size()));
  return version_;
}

std::unique_ptr<FirmwareVersionRequestStrategy> QrBrlOsFirmwareVersionRequestStrategy::clone()
    const {
  return std::make_unique<QrBrlOsFirmwareVersionRequestStrategy>(*this);
}

void QrBrlOsFirmwareVersionRequestStrategy::requestFirmwareVersion(SerialPort& port) {
  try {
    sendPacket(port, buildPacket(modelId_, kVersionRequest));
    DataAnswer answer;
    if (!readDataAnswer(port, modelId_, kVersionRequest, answer)) return;
    // Major and minor number are needed; the mode byte is optional.
    if (answer.payloadSize() < 2) return;
    const uint8_t* payload = answer.payload();
    std::wstring version = std::to_wstring(payload[0]) + L"." + std::to_wstring(payload[1]);
    if (answer.payloadSize() >= 3) {
      if (payload[2] == kIapMode) version += L"_IAP_mode";
      if (payload[2] == kNormalMode) version += L"_normal_mode";
    }
    version_ = version;
  } catch (const QrException&) {
    version_.clear();
    throw;
  }
}

}  // namespace QrCom
