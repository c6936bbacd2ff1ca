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
// `mode` bit kHid makes it a HID port, bit kEndless a device that never stops talking.
// Once the input is used up, `onExhausted` runs on every read (so a loop that only ends from
// another thread, like monitor mode, can be ended once it runs) and the port either falls silent
// like a real one (a COM port throws, a HID port returns nothing; the clock advances by the
// time-out each time) or, endless, repeats the input for ever, each byte taking a millisecond of
// the clock. A host that reads more than kReadLimit bytes reads device data without a bound: the
// target aborts.
class FuzzPort : public QrCom::SerialPort {
 public:
  static constexpr uint8_t kHid = 0x80;
  static constexpr uint8_t kEndless = 0x40;
  static constexpr uint64_t kReadLimit = 16u << 20;

  FuzzPort(FuzzClock& clock, const uint8_t* data, size_t size, uint8_t mode = 0)
      : clock_(clock), data_(data), size_(size), mode_(mode) {}

  std::function<void()> onExhausted;

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using QrCom::SerialPort::readBuffer;
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;
  uint8_t readByte() override;
  void purge() override {}
  void setBaudRate(uint32_t baud) override { baud_ = baud; }
  uint32_t getBaudRate() const override { return baud_; }
  bool canChangeBaudRate() const override { return !hid(); }
  QrCom::PortType getPortType() const override;

  size_t remaining() const { return at_ < size_ ? size_ - at_ : 0; }

 private:
  bool hid() const { return (mode_ & kHid) != 0; }
  bool endless() const { return (mode_ & kEndless) != 0 && size_ > 0; }
  // The next byte the device sends; false when it is silent.
  bool next(uint8_t& byte);
  void silence();

  FuzzClock& clock_;
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  uint8_t mode_;
  uint64_t read_ = 0;
  uint32_t baud_ = 19200;
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
