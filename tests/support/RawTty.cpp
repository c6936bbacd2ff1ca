#include "tests/support/RawTty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

namespace QrTest {

RawTty::RawTty(const std::string& path)
    : descriptor_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
  if (descriptor_ < 0) throw std::system_error(errno, std::generic_category(), path);
  termios settings{};
  tcgetattr(descriptor_, &settings);
  cfmakeraw(&settings);
  tcsetattr(descriptor_, TCSANOW, &settings);
}

RawTty::~RawTty() {
  close(descriptor_);
}

void RawTty::setBaud(unsigned baud) {
  termios settings{};
  tcgetattr(descriptor_, &settings);
  cfsetspeed(&settings, baud == 1200 ? B1200 : baud == 115200 ? B115200 : B19200);
  tcsetattr(descriptor_, TCSANOW, &settings);
}

void RawTty::write(const std::vector<uint8_t>& bytes) {
  if (::write(descriptor_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::system_error(errno, std::generic_category(), "write");
  }
}

std::vector<uint8_t> RawTty::read(size_t count, int timeoutMs) {
  using std::chrono::steady_clock;
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<uint8_t> bytes;
  while (bytes.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now())
            .count();
    if (left <= 0) break;
    pollfd polled{descriptor_, POLLIN, 0};
    if (poll(&polled, 1, static_cast<int>(left)) <= 0) continue;
    uint8_t buffer[256];
    const ssize_t got = ::read(descriptor_, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (got <= 0) break;  // the other end is gone
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

}  // namespace QrTest
