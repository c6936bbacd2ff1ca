#include "app/posix/TerminalInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace QrApp {

std::optional<std::string> LineReader::takeLine() {
  const std::size_t end = buffer_.find('\n');
  if (end == std::string::npos) {
    if (!ended_ || buffer_.empty()) return std::nullopt;
    std::string rest;
    rest.swap(buffer_);
    return rest;
  }
  std::string line = buffer_.substr(0, end);
  buffer_.erase(0, end + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void LineReader::readAvailable() {
  if (ended_) return;
  char chunk[1024];
  ssize_t count;
  do {
    count = read(descriptor_, chunk, sizeof chunk);
  } while (count < 0 && errno == EINTR);
  if (count <= 0) {  // end of input, or a terminal that hung up
    ended_ = true;
    return;
  }
  for (ssize_t i = 0; i < count; ++i) {
    const char character = chunk[i];
    if (character == '\n') {
      buffer_.push_back(character);
      lineLength_ = 0;
    } else if (lineLength_ < kMaxLine) {
      buffer_.push_back(character);
      ++lineLength_;
    }
  }
}

std::size_t waitForInput(const std::vector<int>& descriptors) {
  std::vector<pollfd> polled;
  for (int descriptor : descriptors) polled.push_back({descriptor, POLLIN, 0});
  for (;;) {
    const int ready = poll(polled.data(), polled.size(), -1);
    if (ready < 0 && errno == EINTR) continue;
    for (std::size_t i = 0; i < polled.size(); ++i) {
      if (polled[i].revents != 0) return i;
    }
    if (ready < 0) return 0;  // no way to wait: report the first, whose read then fails
  }
}

void writeFully(int descriptor, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    done += static_cast<std::size_t>(count);
  }
}

}  // namespace QrApp
