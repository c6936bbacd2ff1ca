#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"

#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/ServiceInfo.h"

namespace QrCom {

namespace {
constexpr uint8_t kReadRecord = 0x31;
constexpr uint8_t kWriteRecord = 0x30;
constexpr uint8_t kNoRecord = 0xFE;
// The complete answer: 79 id 15 31, the record, 16.
constexpr uint32_t kAnswerStart = 2;
constexpr uint32_t kAnswerRest = 23;
constexpr uint32_t kRecordOffset = 4;
}  // namespace

void ServiceInfoAwareDeviceMaintenanceStrategy::sendServiceInformation(SerialPort& port,
                                                                       ServiceInfo& info) {
  const std::array<uint8_t, ServiceInfo::kSize> record = info.writeObject();
  port.purge();
  port.writeByte(Packet::kStart);
  port.writeByte(modelId_);
  port.writeByte(static_cast<uint8_t>(ServiceInfo::kSize + 1));
  port.writeByte(kWriteRecord);
  port.writeBuffer(record.data(), ServiceInfo::kSize);
  port.writeByte(Packet::kEnd);
  if (!readAcknowledgement(port).exactly(modelId_)) throw ServiceInfoNotSent(L"");
}

void ServiceInfoAwareDeviceMaintenanceStrategy::receiveServiceInformation(SerialPort& port,
                                                                          ServiceInfo& info) {
  sendPacket(port, buildPacket(modelId_, kReadRecord));
  uint8_t answer[kAnswerStart + kAnswerRest] = {};
  if (port.readBuffer(answer, kAnswerStart) == 0) throw CannotReadFromPortException(L"");
  if (answer[0] == kNoRecord || answer[0] == modelId_) {
    port.purge();
    throw ServiceInfoNotReceived(L"");
  }
  const uint32_t rest = port.readBuffer(answer + kAnswerStart, kAnswerRest);
  const bool accepted = rest > 2 && answer[0] == Packet::kStart && answer[1] == modelId_ &&
                        answer[3] == kReadRecord && answer[kAnswerStart + rest - 1] == Packet::kEnd;
  if (!accepted) throw ServiceInfoNotReceived(L"");
  info.readObject(answer + kRecordOffset, static_cast<int>(rest - 3));
}

std::unique_ptr<ServiceInfoMaintenanceStrategy> ServiceInfoAwareDeviceMaintenanceStrategy::clone()
    const {
  return std::make_unique<ServiceInfoAwareDeviceMaintenanceStrategy>(*this);
}

}  // namespace QrCom
