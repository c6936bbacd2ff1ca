#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"

#include "qrcom/base/Clock.h"
#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {

constexpr uint32_t kNormalBaud = 19200;
constexpr uint32_t kTransferBaud = 115200;
constexpr uint8_t kSetBaudRate = 0x0D;
constexpr uint8_t kIdentify = 0xFF;
constexpr uint8_t kIdentified = 0xFE;

bool rateCode(uint32_t baud, uint8_t& code) {
  switch (baud) {
    case 19200:
      code = 0x19;
      return true;
    case 57600:
      code = 0x57;
      return true;
    case 115200:
      code = 0x11;
      return true;
    default:
      return false;
  }
}

// Whether the device answers the identification byte; a failed read is no answer.
bool deviceAnswers(SerialPort& port, uint8_t modelId) {
  port.writeByte(kIdentify);
  try {
    uint8_t answer[2] = {};
    return port.readBuffer(answer, 2) == 2 && answer[0] == kIdentified && answer[1] == modelId;
  } catch (const QrException&) {
    return false;
  }
}

}  // namespace

void BrailleSystemVersion20010FileTransferStrategy::setTransferBaudRate(SerialPort& port,
                                                                        uint32_t baud,
                                                                        uint8_t modelId) {
  uint8_t code = 0;
  if (!port.canChangeBaudRate() || !rateCode(baud, code)) return;
  try {
    const std::vector<uint8_t> request = buildPacket(modelId, kSetBaudRate, {code});
    port.writeBuffer(request.data(), static_cast<uint32_t>(request.size()));
    const Acknowledgement answer = readAcknowledgement(port);
    // The length byte is not looked at.
    if (answer.received != 6 || answer.bytes[0] != Packet::kStart || answer.bytes[1] != modelId ||
        !answer.positive() || answer.bytes[5] != Packet::kEnd) {
      return;
    }
    port.setBaudRate(baud);
    port.purge();
    clock().sleep(100);
    if (deviceAnswers(port, modelId)) return;
    port.setBaudRate(kNormalBaud);
    clock().sleep(2000);
  } catch (const QrException&) {
    // The transfer runs at whatever rate the port has now.
  }
}

void BrailleSystemVersion20010FileTransferStrategy::receiveFile(
    SerialPort& port, QuorlinDevice* device, const std::wstring& source, const std::wstring& target,
    int32_t number, uint8_t attribute, FileTransferSink* sink) {
  setTransferBaudRate(port, kTransferBaud, modelId_);
  try {
    doReceiveFile(port, device, source, target, number, attribute, sink);
  } catch (...) {
    setTransferBaudRate(port, kNormalBaud, modelId_);
    throw;
  }
  setTransferBaudRate(port, kNormalBaud, modelId_);
}

void BrailleSystemVersion20010FileTransferStrategy::sendFile(
    SerialPort& port, QuorlinDevice* device, const std::wstring& source, const std::wstring& target,
    uint64_t expectedSize, FileTransferSink* sink) {
  setTransferBaudRate(port, kTransferBaud, modelId_);
  try {
    doSendFile(port, device, source, target, expectedSize, sink);
  } catch (...) {
    setTransferBaudRate(port, kNormalBaud, modelId_);
    throw;
  }
  setTransferBaudRate(port, kNormalBaud, modelId_);
}

void BrailleSystemVersion20010FileTransferStrategy::doReceiveFile(
    SerialPort& port, QuorlinDevice* device, const std::wstring& source, const std::wstring& target,
    int32_t number, uint8_t attribute, FileTransferSink* sink) {
  BrailleSystemVersion2000FileTransferStrategy::receiveFile(port, device, source, target, number,
                                                            attribute, sink);
}

void BrailleSystemVersion20010FileTransferStrategy::doSendFile(
    SerialPort& port, QuorlinDevice* device, const std::wstring& source, const std::wstring& target,
    uint64_t expectedSize, FileTransferSink* sink) {
  BrailleSystemVersion2000FileTransferStrategy::sendFile(port, device, source, target, expectedSize,
                                                         sink);
}

bool BrailleSystemVersion20010FileTransferStrategy::supportsService(int serviceId) const {
  return BrailleSystemVersion2005FileTransferStrategy::supportsService(serviceId) ||
         serviceId == 18 || serviceId == 20;
}

std::unique_ptr<FileTransferStrategy> BrailleSystemVersion20010FileTransferStrategy::clone() const {
  return std::make_unique<BrailleSystemVersion20010FileTransferStrategy>(modelId_);
}

}  // namespace QrCom
