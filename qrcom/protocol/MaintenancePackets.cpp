#include "qrcom/protocol/MaintenancePackets.h"

#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"

namespace QrCom {
namespace MaintenancePackets {

namespace {
constexpr uint8_t kBatteryInfo = 0x42;
constexpr uint8_t kBatteryTestMode = 0x43;
constexpr uint8_t kSetBluetoothPin = 0x46;
constexpr uint8_t kGetBluetoothPin = 0x47;
// Some firmwares announce another length but always send 17 battery bytes.
constexpr uint32_t kBatteryAnswer = 17;

// The four header bytes of a data answer: read, and accepted when the start byte, the model id
// or the type is the expected one.
bool readHeader(SerialPort& port, uint8_t modelId, uint8_t type, uint8_t (&header)[4]) {
  return port.readBuffer(header, 4) == 4 &&
         (header[0] == Packet::kStart || header[1] == modelId || header[3] == type);
}
}  // namespace

void setBluetoothPin(SerialPort& port, uint8_t modelId, const std::wstring& pin,
                     std::wstring_view prefix) {
  sendPacket(port, buildTextPacket(modelId, kSetBluetoothPin, pin));
  const bool acknowledged = readAcknowledgement(port).positive();
  port.purge();
  if (!acknowledged) {
    throw ErrorOnSettingBluetoothPin(
        compose(prefix, L"Not ACK for setting bluetooth pin received."));
  }
}

void getBluetoothPin(SerialPort& port, uint8_t modelId, wchar_t* pin, uint32_t capacity,
                     std::wstring_view prefix) {
  try {
    sendPacket(port, buildPacket(modelId, kGetBluetoothPin));
    uint8_t header[4] = {};
    if (!readHeader(port, modelId, kGetBluetoothPin, header)) {
      throw ErrorOnReceivingBluetoothPin(compose(prefix, L"Error in protocol. Wrong answer-"));
    }
    // L counts the type byte and the payload; the L bytes after the header end with 0x16.
    const uint32_t length = header[2];
    uint8_t body[256] = {};
    if (length == 0 || port.readBuffer(body, length) < length) {
      throw ErrorOnReceivingBluetoothPin(compose(prefix, L"Error in protocol. Wrong size."));
    }
    if (pin == nullptr || capacity < length) {
      throw ErrorOnReceivingBluetoothPin(
          compose(prefix, L"The buffer is too small for the Bluetooth PIN."));
    }
    for (uint32_t i = 0; i + 1 < length; ++i) pin[i] = body[i];
    pin[length - 1] = L'\0';
  } catch (...) {
    if (pin != nullptr && capacity > 0) pin[0] = L'\0';
    throw;
  }
}

void requestBatteryInfo(SerialPort& port, uint8_t modelId, BatteryInfo* info,
                        std::wstring_view prefix) {
  if (info == nullptr) {
    throw ErrorOnReceivingBatteryInfo(compose(prefix, L"Error in parameter."));
  }
  try {
    sendPacket(port, buildPacket(modelId, kBatteryInfo));
    uint8_t header[4] = {};
    if (!readHeader(port, modelId, kBatteryInfo, header)) {
      throw ErrorOnReceivingBatteryInfo(compose(prefix, L"Error in protocol. Wrong answer."));
    }
    const uint32_t length = header[2];
    uint8_t body[256] = {};
    const uint32_t received = length == 0 ? 0 : port.readBuffer(body, length);
    if (length == 0 || (received != length && received != kBatteryAnswer)) {
      throw ErrorOnReceivingBatteryInfo(compose(prefix, L"Error in protocol. Wrong frame size."));
    }
    info->firstWord = static_cast<uint16_t>(body[0] << 8 | body[1]);
    info->secondWord = static_cast<uint16_t>(body[2] << 8 | body[3]);
    info->thirdByte = body[4];
    info->fourthByte = body[5];
    info->fifthByte = body[6];
  } catch (...) {
    info->firstWord = 0;
    info->secondWord = 0;
    throw;
  }
}

void startBatteryTestMode(SerialPort& port, uint8_t modelId, std::wstring_view prefix) {
  sendPacket(port, buildPacket(modelId, kBatteryTestMode));
  const bool acknowledged = readAcknowledgement(port).positive();
  port.purge();
  if (!acknowledged) {
    throw ErrorStartingBatteryTestMode(
        compose(prefix, L"No ACK for starting battery test mode received."));
  }
}

}  // namespace MaintenancePackets
}  // namespace QrCom
