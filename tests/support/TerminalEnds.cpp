#include "tests/support/TerminalEnds.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace QrTest {

namespace {

void closeIfOpen(int descriptor) {
  if (descriptor >= 0) close(descriptor);
}

std::string drain(int descriptor) {
  std::string bytes;
  if (descriptor < 0) return bytes;
  char chunk[4096];
  for (;;) {
    pollfd polled{descriptor, POLLIN, 0};
    if (poll(&polled, 1, 0) <= 0 || (polled.revents & POLLIN) == 0) break;
    const ssize_t count = read(descriptor, chunk, sizeof chunk);
    if (count <= 0) break;
    bytes.append(chunk, static_cast<size_t>(count));
  }
  return bytes;
}

}  // namespace

TerminalEnds::TerminalEnds(bool pty)
    : isPty_(pty), errors_(open("/dev/null", O_WRONLY | O_CLOEXEC)) {
  if (!pty) {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    input_ = in[0];
    keyboard_ = in[1];
    screen_ = out[0];
    output_ = out[1];
    return;
  }
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  keyboard_ = screen_ = master;
  input_ = output_ = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (input_ < 0) throw std::runtime_error("cannot open the pseudo-terminal's slave");
}

TerminalEnds::~TerminalEnds() {
  closeIfOpen(keyboard_);
  if (screen_ != keyboard_) closeIfOpen(screen_);
  closeIfOpen(input_);
  if (output_ != input_) closeIfOpen(output_);
  closeIfOpen(errors_);
}

void TerminalEnds::type(const std::string& keys) const {
  if (write(keyboard_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
    throw std::runtime_error("typing failed");
  }
}

void TerminalEnds::endInput() {
  if (isPty_) {
    type(std::string(1, static_cast<char>(4)));  // Ctrl+D at the start of a line
  } else {
    close(keyboard_);
    keyboard_ = -1;
  }
}

std::string TerminalEnds::waitForOutput(const std::string& text) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  collected_ += drain(screen_);
  while (collected_.find(text) == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    pollfd polled{screen_, POLLIN, 0};
    if (poll(&polled, 1, 100) > 0) collected_ += drain(screen_);
  }
  return collected_;
}

void TerminalEnds::closeOutput() {
  if (screen_ != keyboard_) close(screen_);
  screen_ = -1;
}

std::string TerminalEnds::output() {
  collected_ += drain(screen_);
  return collected_;
}

}  // namespace QrTest
