#include "qrcom/base/Packet.h"

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"

namespace QrCom {

std::vector<uint8_t> buildPacket(uint8_t modelId, uint8_t type, const uint8_t* payload,
                                 size_t payloadLength) {
  std::vector<uint8_t> frame;
  frame.reserve(payloadLength + 5);
  frame.push_back(Packet::kStart);
  frame.push_back(modelId);
  frame.push_back(static_cast<uint8_t>(payloadLength + 1));
  frame.push_back(type);
  frame.insert(frame.end(), payload, payload + payloadLength);
  frame.push_back(Packet::kEnd);
  return frame;
}

std::vector<uint8_t> buildPacket(uint8_t modelId, uint8_t type,
                                 std::initializer_list<uint8_t> payload) {
  return buildPacket(modelId, type, payload.begin(), payload.size());
}

std::vector<uint8_t> buildTextPacket(uint8_t modelId, uint8_t type, std::wstring_view text) {
  const std::wstring_view cut = text.substr(0, Packet::kMaxText);
  std::vector<uint8_t> payload(1, 0);
  uint8_t sum = 0;
  for (wchar_t character : cut) {
    const auto byte = static_cast<uint8_t>(character & 0xFF);
    payload.push_back(byte);
    sum = static_cast<uint8_t>(sum + byte);
  }
  payload[0] = static_cast<uint8_t>(-sum);
  return buildPacket(modelId, type, payload.data(), payload.size());
}

void sendPacket(SerialPort& port, const std::vector<uint8_t>& frame) {
  port.purge();
  port.writeBuffer(frame.data(), static_cast<uint32_t>(frame.size()));
}

bool Acknowledgement::positive() const {
  return bytes[3] == Packet::kAcknowledgementType && bytes[4] == Packet::kAcknowledged;
}

bool Acknowledgement::exactly(uint8_t modelId) const {
  return received == 6 && bytes[0] == Packet::kStart && bytes[1] == modelId && bytes[2] == 0x02 &&
         positive() && bytes[5] == Packet::kEnd;
}

Acknowledgement readAcknowledgement(SerialPort& port) {
  Acknowledgement acknowledgement;
  acknowledgement.received = port.readBuffer(acknowledgement.bytes, 6);
  return acknowledgement;
}

bool readDataAnswer(SerialPort& port, uint8_t modelId, uint8_t answerType, DataAnswer& answer) {
  if (port.readBuffer(answer.header, 4) < 4) return false;
  const bool accepted = answer.header[0] == Packet::kStart || answer.header[1] == modelId ||
                        answer.header[3] == answerType;
  if (!accepted) return false;
  const uint32_t length = answer.length();
  return length == 0 || port.readBuffer(answer.body, length) >= length;
}

bool waitForFrameStart(SerialPort& port, uint32_t timeoutMs, uint8_t& last) {
  const uint32_t start = clock().tick();
  do {
    try {
      last = port.readByte();
    } catch (const PortException&) {
      last = 0;
    }
    if (last == Packet::kStart) return true;
  } while (clock().tick() - start < timeoutMs);
  return false;
}

}  // namespace QrCom
