#include "emulator/pty/PtyLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

namespace QrEmu {

namespace {

// Input waiting for the display beyond this is left in the tty, which then holds the writer
// back like a real line.
constexpr size_t kInputLimit = 4096;

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

uint32_t baudOf(speed_t speed) {
  struct Rate {
    speed_t speed;
    uint32_t baud;
  };
  static const Rate rates[] = {
      {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
      {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
      {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
      {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
  for (const Rate& rate : rates) {
    if (rate.speed == speed) return rate.baud;
  }
  return 0;
}

}  // namespace

PtyLink::PtyLink(Display& display, LinkOptions options)
    : display_(display), options_(std::move(options)) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) fail("posix_openpt");
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name)) {
    const int error = errno;
    ::close(master_);
    errno = error;
    fail("pseudo-terminal");
  }
  path_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    const int error = errno;
    ::close(master_);
    errno = error;
    fail(path_);
  }
  // Raw from the start: a tty that echoes would hand the display's answers back to it.
  termios settings{};
  tcgetattr(slave_, &settings);
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  cfsetspeed(&settings, B19200);
  tcsetattr(slave_, TCSANOW, &settings);

  if (!options_.symlink.empty()) {
    struct stat existing {};
    if (lstat(options_.symlink.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
      unlink(options_.symlink.c_str());
    }
    if (symlink(path_.c_str(), options_.symlink.c_str()) != 0) {
      const int error = errno;
      close();
      errno = error;
      fail(options_.symlink);
    }
  }
}

PtyLink::~PtyLink() {
  close();
}

void PtyLink::close() {
  if (master_ < 0) return;
  if (!options_.symlink.empty()) {
    char target[PATH_MAX];
    const ssize_t length = readlink(options_.symlink.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string(target, static_cast<size_t>(length)) == path_) {
      unlink(options_.symlink.c_str());
    }
  }
  ::close(slave_);
  ::close(master_);
  slave_ = master_ = -1;
}

short PtyLink::events() const {
  short events = 0;
  if (input_.size() < kInputLimit) events |= POLLIN;
  if (blocked_) events |= POLLOUT;
  return events;
}

PtyLink::Clock::duration PtyLink::byteTime() const {
  termios settings{};
  uint32_t baud = 0;
  if (tcgetattr(master_, &settings) == 0) baud = baudOf(cfgetospeed(&settings));
  if (baud == 0) return Clock::duration::zero();
  return std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(11'000'000) / baud);
}

void PtyLink::holdBusy(bool busy) {
  if (busy == busyHeld_) return;
  if (!busy) {
    flock(slave_, LOCK_UN);
    busyHeld_ = false;
  } else if (flock(slave_, LOCK_EX | LOCK_NB) == 0) {
    busyHeld_ = true;
  }
}

void PtyLink::readHost(Clock::time_point now) {
  const Clock::duration perByte = options_.lineRate ? byteTime() : Clock::duration::zero();
  Clock::time_point arrival = input_.empty() ? now : std::max(now, input_.back().at);
  uint8_t buffer[512];
  while (input_.size() < kInputLimit) {
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) break;
    for (ssize_t i = 0; i < count; ++i) {
      arrival += perByte;
      input_.push_back({buffer[i], arrival});
    }
  }
}

void PtyLink::feedDisplay(Clock::time_point now) {
  Bytes arrived;
  while (!input_.empty() && input_.front().at <= now) {
    arrived.push_back(input_.front().byte);
    input_.pop_front();
  }
  display_.receive(arrived);
}

void PtyLink::writeHost(Clock::time_point now) {
  const Bytes due = display_.takeDue();
  if (output_.empty()) lineFreeAt_ = std::max(lineFreeAt_, now);
  output_.insert(output_.end(), due.begin(), due.end());
  if (output_.empty() || blocked_) return;

  size_t ready = output_.size();
  Clock::time_point freeAt = lineFreeAt_;
  if (options_.lineRate) {
    const Clock::duration perByte = byteTime();
    ready = 0;
    while (ready < output_.size() && freeAt + perByte <= now) {
      freeAt += perByte;
      ++ready;
    }
  }
  if (ready == 0) return;
  const Bytes chunk(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(ready));
  const ssize_t written = write(master_, chunk.data(), chunk.size());
  if (written < 0) {
    blocked_ = errno == EAGAIN;
    return;
  }
  output_.erase(output_.begin(), output_.begin() + written);
  if (options_.lineRate) {
    lineFreeAt_ += byteTime() * written;
  }
  blocked_ = static_cast<size_t>(written) < ready;
}

int PtyLink::service(short revents) {
  if (master_ < 0) return -1;
  const Faults faults = display_.faults();
  if (faults.unplugged) {
    close();
    return -1;
  }
  holdBusy(faults.busy);
  if (revents & POLLOUT) blocked_ = false;
  const Clock::time_point now = Clock::now();
  if (revents & POLLIN) readHost(now);
  feedDisplay(now);
  writeHost(Clock::now());

  int wait = -1;
  auto consider = [&wait](long long milliseconds) {
    const int bounded = static_cast<int>(std::clamp<long long>(milliseconds, 0, INT_MAX));
    wait = wait < 0 ? bounded : std::min(wait, bounded);
  };
  const auto untilMs = [](Clock::time_point at) {
    // Rounded up: waking early would only spin.
    return std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now()).count();
  };
  if (!input_.empty()) consider(untilMs(input_.front().at));
  if (!output_.empty() && !blocked_) consider(untilMs(lineFreeAt_ + byteTime()));
  if (const auto release = display_.nextRelease()) {
    consider(static_cast<int32_t>(*release - display_.now()));
  }
  return wait;
}

}  // namespace QrEmu
