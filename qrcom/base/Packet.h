#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The extended packet: 0x79, model id, L, type, payload (L - 1 bytes), 0x16.
namespace Packet {
constexpr uint8_t kStart = 0x79;
constexpr uint8_t kEnd = 0x16;
constexpr uint8_t kAcknowledgementType = 0x07;
constexpr uint8_t kAcknowledged = 0x7E;
constexpr size_t kMaxText = 40;
}  // namespace Packet

std::vector<uint8_t> buildPacket(uint8_t modelId, uint8_t type,
                                 std::initializer_list<uint8_t> payload = {});
std::vector<uint8_t> buildPacket(uint8_t modelId, uint8_t type, const uint8_t* payload,
                                 size_t payloadLength);
// Payload of one checksum byte and the low bytes of the text's first 40 characters; text bytes
// and checksum sum to 0 modulo 256.
std::vector<uint8_t> buildTextPacket(uint8_t modelId, uint8_t type, std::wstring_view text);

// Purges the port, then writes the whole frame with one call.
void sendPacket(SerialPort& port, const std::vector<uint8_t>& frame);

// The six-byte acknowledgement frame as read; a short read leaves zeros.
struct Acknowledgement {
  uint8_t bytes[6] = {};
  uint32_t received = 0;

  // Byte 3 is the acknowledgement type and byte 4 says acknowledged; nothing else is looked at.
  bool positive() const;
  // A full frame 79 id 02 07 7E 16.
  bool exactly(uint8_t modelId) const;
};
Acknowledgement readAcknowledgement(SerialPort& port);

// A data answer: the four header bytes and the L bytes after them (payload, then the end byte).
struct DataAnswer {
  uint8_t header[4] = {};
  uint8_t body[256] = {};

  uint32_t length() const { return header[2]; }
  const uint8_t* payload() const { return body; }
  uint32_t payloadSize() const { return length() > 0 ? length() - 1 : 0; }
};
// Reads a data answer. The header passes when its start byte, its model id or its type is the
// expected one; false when the header fails or fewer bytes than announced arrive.
bool readDataAnswer(SerialPort& port, uint8_t modelId, uint8_t answerType, DataAnswer& answer);

// Reads single bytes until 0x79 arrives or `timeoutMs` have passed on the clock; failed reads
// are ignored. `last` holds the last byte read, 0 after a failed read.
bool waitForFrameStart(SerialPort& port, uint32_t timeoutMs, uint8_t& last);

}  // namespace QrCom
