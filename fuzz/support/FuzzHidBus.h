#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fuzz/support/FuzzPort.h"
#include "qrcom/port/HidDevice.h"

namespace QrFuzz {

// Bytes taken off the front of one part of a fuzz input; nothing once it is used up.
class ByteStream {
 public:
  ByteStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  uint8_t byte() { return empty() ? 0 : data_[at_++]; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A fuzzed USB-HID bus for displays that re-enumerate: each listing and each open is told by the
// `behaviour` bytes, and the open devices serve the `answers` bytes as input reports, one each
// time the host waits for input (so what reaches the ring does not depend on thread timing).
//
// behaviour, listing: a count byte (count % 4 paths), then one byte per path choosing from
//   kPaths (displays, a bridge, an interface 1, another vendor, an over-long path); once used
//   up, the last listing repeats (at first: kPaths[0]).
// behaviour, open of a listed path: a byte (% 8: 6 refused as held, 7 failed, else opened),
//   then a capabilities byte (0xFF none; else input and output report lengths from kLengths by
//   bits 0-2 and 3-5) and a byte that makes writes fail from that write on (0: never); once
//   used up: opened with 64-byte reports. A path not in the last listing does not open.
// answers: a length byte, then the report (1 + length % capacity bytes). Each report takes a
//   millisecond of the clock; once they are used up a wait for input takes its whole time.
// Installed as the library's HID bus for the lifetime of the object. A host that reads more
// than FuzzPort::kReadLimit bytes of reports reads without a bound: the target aborts.
class FuzzHidBus : public QrCom::HidBus {
 public:
  static const std::wstring kPaths[6];
  static constexpr uint32_t kLengths[8] = {64, 3, 2, 65, 255, 8, 32, 1};

  FuzzHidBus(FuzzClock& clock, ByteStream behaviour, ByteStream answers);
  ~FuzzHidBus() override;
  FuzzHidBus(const FuzzHidBus&) = delete;
  FuzzHidBus& operator=(const FuzzHidBus&) = delete;

  std::vector<std::wstring> interfacePaths() override;
  Opened open(const std::wstring& path) override;

  // The next input report of at most `capacity` bytes; false when the answers are used up.
  bool nextReport(std::vector<uint8_t>& report, uint32_t capacity);

 private:
  FuzzClock& clock_;
  std::mutex mutex_;
  ByteStream behaviour_;
  ByteStream answers_;
  std::vector<std::wstring> listing_;
  uint64_t read_ = 0;
  QrCom::HidBus* previous_;
};

}  // namespace QrFuzz
