#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QrTest {

// The host end of a tty for tests of the pty transport, without the library's port classes:
// raw mode, plain reads with a deadline.
class RawTty {
 public:
  explicit RawTty(const std::string& path);  // throws std::system_error
  ~RawTty();
  RawTty(const RawTty&) = delete;
  RawTty& operator=(const RawTty&) = delete;

  int descriptor() const { return descriptor_; }
  void setBaud(unsigned baud);  // 1200, 19200 or 115200
  void write(const std::vector<uint8_t>& bytes);
  // Up to `count` bytes, waiting at most `timeoutMs` for all of them.
  std::vector<uint8_t> read(size_t count, int timeoutMs);

 private:
  int descriptor_;
};

}  // namespace QrTest
