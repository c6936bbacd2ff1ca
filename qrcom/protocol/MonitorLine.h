#pragma once

#include <cstddef>
#include <cstdint>

namespace QrCom {

// A zero-terminated text line of a monitor stream, bounded: bytes beyond kMax are dropped.
class MonitorLine {
 public:
  static constexpr size_t kMax = 511;

  void append(uint8_t byte) {
    if (length_ < kMax) text_[length_++] = byte;
  }
  void clear() { length_ = 0; }
  bool empty() const { return length_ == 0; }
  // The line with its terminating zero.
  const uint8_t* text() {
    text_[length_] = 0;
    return text_;
  }
  bool operator==(const MonitorLine& other) const;
  bool operator!=(const MonitorLine& other) const { return !(*this == other); }

 private:
  uint8_t text_[kMax + 1] = {};
  size_t length_ = 0;
};

}  // namespace QrCom
