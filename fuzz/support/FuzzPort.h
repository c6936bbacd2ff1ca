#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "qrcom/base/Clock.h"
#include "qrcom/port/SerialPort.h"

namespace QrFuzz {

// A clock on which no real time passes: pauses and waits for silence move it forward.
class FuzzClock : public QrCom::Clock {
 public:
  void sleep(uint32_t milliseconds) override { now_ += milliseconds; }
  uint32_t tick() override { return static_cast<uint32_t>(now_); }
  QrCom::CalendarTime localTime() override;
  void advance(uint32_t milliseconds) { now_ += milliseconds; }

 private:
  uint64_t now_ = 0;
};

// Installs a fresh FuzzClock for the lifetime of the object.
class ScopedFuzzClock {
 public:
  ScopedFuzzClock() : previous_(QrCom::installClock(&clock_)) {}
  ~ScopedFuzzClock() { QrCom::installClock(previous_); }
  ScopedFuzzClock(const ScopedFuzzClock&) = delete;
  ScopedFuzzClock& operator=(const ScopedFuzzClock&) = delete;
  FuzzClock& operator*() { return clock_; }

 private:
  FuzzClock clock_;
  QrCom::Clock* previous_;
};

// A fuzzed device: whatever the host reads comes from the fuzz input, in order, whatever it
// wrote before. A purge discards nothing (the input is the device's whole answer stream).
// Once the input is used up the port is silent like a real one: a COM port throws, a HID port
// returns nothing; the clock advances by the time-out each time, and `onSilence` runs, so a
// loop that only ends from another thread (monitor mode) can be ended.
class FuzzPort : public QrCom::SerialPort {
 public:
  enum class Kind { Com, Hid };

  FuzzPort(FuzzClock& clock, const uint8_t* data, size_t size, Kind kind = Kind::Com)
      : clock_(clock), data_(data), size_(size), kind_(kind) {}

  std::function<void()> onSilence;

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using QrCom::SerialPort::readBuffer;
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;
  uint8_t readByte() override;
  void purge() override {}
  void setBaudRate(uint32_t baud) override { baud_ = baud; }
  uint32_t getBaudRate() const override { return baud_; }
  bool canChangeBaudRate() const override { return kind_ == Kind::Com; }
  QrCom::PortType getPortType() const override;

  size_t remaining() const { return size_ - at_; }
  uint64_t written() const { return written_; }

 private:
  void silence();

  FuzzClock& clock_;
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  Kind kind_;
  uint32_t baud_ = 19200;
  uint64_t written_ = 0;
};

// Takes bytes off the front of a fuzz input to choose what a target does.
class Choices {
 public:
  Choices(const uint8_t*& data, size_t& size) : data_(data), size_(size) {}
  uint8_t byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  uint16_t word() { return static_cast<uint16_t>(byte() << 8 | byte()); }
  template <typename T, size_t N>
  const T& pick(const T (&items)[N]) {
    return items[byte() % N];
  }

 private:
  const uint8_t*& data_;
  size_t& size_;
};

}  // namespace QrFuzz
