#include "emulator/Expectation.h"

#include <stdexcept>
#include <utility>

namespace QrEmu {

namespace {

constexpr uint8_t kPacketStart = 0x79;
constexpr uint8_t kEnd = 0x16;

// Collects bytes until `needed` says none are missing; the count may grow as headers arrive.
class Collecting : public Expectation {
 public:
  bool take(uint8_t byte) override {
    bytes_.push_back(byte);
    return bytes_.size() >= needed(bytes_);
  }

 protected:
  // How many bytes the step needs in all, given what has arrived so far.
  virtual size_t needed(const Bytes& sofar) const = 0;
  Bytes bytes_;
};

class OneByte : public Expectation {
 public:
  explicit OneByte(std::function<void(uint8_t)> then) : then_(std::move(then)) {}
  bool take(uint8_t byte) override {
    byte_ = byte;
    return true;
  }
  void finish() override { then_(byte_); }

 private:
  std::function<void(uint8_t)> then_;
  uint8_t byte_ = 0;
};

class SomeBytes : public Collecting {
 public:
  SomeBytes(size_t count, std::function<void(const Bytes&)> then)
      : count_(count), then_(std::move(then)) {
    if (count == 0) throw std::invalid_argument("expectBytes needs at least one byte");
  }
  void finish() override { then_(bytes_); }

 private:
  size_t needed(const Bytes&) const override { return count_; }
  size_t count_;
  std::function<void(const Bytes&)> then_;
};

class PacketStep : public Collecting {
 public:
  PacketStep(std::function<void(const Packet&)> then, bool startSeen) : then_(std::move(then)) {
    if (startSeen) bytes_.push_back(kPacketStart);
  }
  void finish() override {
    Packet packet;
    packet.start = bytes_[0];
    packet.modelId = bytes_[1];
    packet.length = bytes_[2];
    if (packet.length > 0) {
      packet.type = bytes_[3];
      packet.payload.assign(bytes_.begin() + 4, bytes_.end() - 1);
    }
    packet.end = bytes_.back();
    then_(packet);
  }

 private:
  // start, id, L, then L bytes (type and payload), then the end byte.
  size_t needed(const Bytes& sofar) const override {
    return sofar.size() < 3 ? 3 : 3 + size_t{sofar[2]} + 1;
  }
  std::function<void(const Packet&)> then_;
};

class FrameStep : public Collecting {
 public:
  explicit FrameStep(std::function<void(const Frame&)> then) : then_(std::move(then)) {}
  void finish() override {
    Frame frame;
    frame.body.assign(bytes_.begin() + 2, bytes_.end() - 1);
    frame.end = bytes_.back();
    then_(frame);
  }

 private:
  // length low, length high, body, SYNC.
  size_t needed(const Bytes& sofar) const override {
    return sofar.size() < 2 ? 2 : 2 + (size_t{sofar[0]} | size_t{sofar[1]} << 8) + 1;
  }
  std::function<void(const Frame&)> then_;
};

}  // namespace

bool Packet::wellFormed() const {
  return start == kPacketStart && length >= 1 && end == kEnd;
}

std::unique_ptr<Expectation> expectOneByte(std::function<void(uint8_t)> then) {
  return std::make_unique<OneByte>(std::move(then));
}

std::unique_ptr<Expectation> expectBytes(size_t count, std::function<void(const Bytes&)> then) {
  return std::make_unique<SomeBytes>(count, std::move(then));
}

std::unique_ptr<Expectation> expectPacket(std::function<void(const Packet&)> then, bool startSeen) {
  return std::make_unique<PacketStep>(std::move(then), startSeen);
}

std::unique_ptr<Expectation> expectFrame(std::function<void(const Frame&)> then) {
  return std::make_unique<FrameStep>(std::move(then));
}

}  // namespace QrEmu
