#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "emulator/Bytes.h"

namespace QrEmu {

// An extended packet as the display received it: 0x79, model id, L, type, payload, 0x16.
struct Packet {
  uint8_t start = 0;
  uint8_t modelId = 0;
  uint8_t length = 0;  // L: the type byte and the payload
  uint8_t type = 0;
  Bytes payload;
  uint8_t end = 0;

  // Start and end byte in place and a type byte present.
  bool wellFormed() const;
};

// A legacy file-transfer frame: length low byte, length high byte, body, SYNC (0x16).
struct Frame {
  Bytes body;
  uint8_t end = 0;

  bool wellFormed() const { return end == 0x16; }
};

// One step of a device-side dialogue: it consumes the bytes the host sends until it has what
// it waits for, then hands the result to its continuation. Protocol modules chain steps by
// setting the next one from inside a continuation.
class Expectation {
 public:
  virtual ~Expectation() = default;
  // Consumes one byte; true when this byte completed the step.
  virtual bool take(uint8_t byte) = 0;
  // Runs the continuation, once, after the display has dropped the step (so the continuation
  // may set the next one).
  virtual void finish() = 0;
};

std::unique_ptr<Expectation> expectOneByte(std::function<void(uint8_t)> then);
// `count` must be at least 1.
std::unique_ptr<Expectation> expectBytes(size_t count, std::function<void(const Bytes&)> then);
// A whole extended packet; with `startSeen` the 0x79 was consumed already.
std::unique_ptr<Expectation> expectPacket(std::function<void(const Packet&)> then,
                                          bool startSeen = false);
std::unique_ptr<Expectation> expectFrame(std::function<void(const Frame&)> then);

}  // namespace QrEmu
