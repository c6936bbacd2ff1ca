#include "emulator/pty/PtyLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

#include "emulator/pty/TtySpeed.h"

namespace QrEmu {

namespace {

// Input waiting for the display beyond this is left in the tty, which then holds the writer
// back like a real line.
constexpr size_t kInputLimit = 4096;
// Opening it for writing fails with EACCES even for root (Wine: ERROR_ACCESS_DENIED).
constexpr char kRefusingPath[] = "/proc/sys/kernel/ostype";

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

std::string bytesOf(const termios& settings) {
  return std::string(reinterpret_cast<const char*>(&settings), sizeof settings);
}

}  // namespace

PtyLink::PtyLink(Display& display, LinkOptions options)
    : display_(display), options_(std::move(options)) {
  open();
}

PtyLink::~PtyLink() {
  close();
}

std::string PtyLink::path() const {
  std::lock_guard<std::mutex> guard(pathMutex_);
  return path_;
}

void PtyLink::open() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) fail("posix_openpt");
  char name[128];
  int slave = -1;
  if (grantpt(master) == 0 && unlockpt(master) == 0 && ptsname_r(master, name, sizeof name) == 0) {
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  if (slave < 0) {
    const int error = errno;
    ::close(master);
    errno = error;
    fail("pseudo-terminal");
  }
  // Raw from the start: a tty that echoes would hand the display's answers back to it.
  // EXTPROC makes the pty report every change of the settings to its packet-mode master.
  termios settings{};
  tcgetattr(slave, &settings);
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_lflag |= EXTPROC;
  cfsetspeed(&settings, B19200);
  tcsetattr(slave, TCSANOW, &settings);
  const int packetMode = 1;
  ioctl(master, TIOCPKT, &packetMode);

  master_ = master;
  slave_ = slave;
  {
    std::lock_guard<std::mutex> guard(pathMutex_);
    path_ = name;
  }
  display_.setHostLineRate(19200);
  if (!options_.symlink.empty()) pointLink(name);
}

void PtyLink::pointLink(const std::string& target) {
  struct stat existing {};
  if (lstat(options_.symlink.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
    unlink(options_.symlink.c_str());
  }
  if (symlink(target.c_str(), options_.symlink.c_str()) != 0) {
    const int error = errno;
    close();
    errno = error;
    fail(options_.symlink);
  }
}

void PtyLink::close() {
  if (master_ < 0) return;
  if (!options_.symlink.empty()) {
    char target[PATH_MAX];
    const ssize_t length = readlink(options_.symlink.c_str(), target, sizeof target - 1);
    const std::string pointed(target, length > 0 ? static_cast<size_t>(length) : 0);
    if (pointed == path_ || pointed == kRefusingPath) unlink(options_.symlink.c_str());
  }
  ::close(slave_);
  ::close(master_);
  slave_ = master_ = -1;
  busyHeld_ = blocked_ = false;
  ownSettings_.reset();
  input_.clear();
  output_.clear();
  std::lock_guard<std::mutex> guard(pathMutex_);
  path_.clear();
}

short PtyLink::events() const {
  short events = 0;
  if (input_.size() < kInputLimit) events |= POLLIN;
  if (blocked_) events |= POLLOUT;
  return events;
}

PtyLink::Clock::duration PtyLink::byteTime() const {
  const uint32_t baud = ttySpeed(master_);
  if (baud == 0) return Clock::duration::zero();
  return std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(11'000'000) / baud);
}

void PtyLink::holdBusy(bool busy) {
  if (busy == busyHeld_) return;
  if (busy && flock(slave_, LOCK_EX | LOCK_NB) != 0) return;  // the host holds it: later
  // Whoever gets through the link also gets the lock.
  if (!options_.symlink.empty()) pointLink(busy ? kRefusingPath : path_);
  if (!busy) flock(slave_, LOCK_UN);
  busyHeld_ = busy;
}

void PtyLink::readHost(Clock::time_point now) {
  const Clock::duration perByte = options_.lineRate ? byteTime() : Clock::duration::zero();
  Clock::time_point arrival = input_.empty() ? now : std::max(now, input_.back().at);
  uint8_t packet[513];
  while (input_.size() < kInputLimit) {
    const ssize_t count = read(master_, packet, sizeof packet);
    if (count <= 0) break;
    if (packet[0] != TIOCPKT_DATA) {
      if (packet[0] & TIOCPKT_IOCTL) hostSetUpLine();
      if (packet[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE)) clearParity();
      continue;
    }
    if (count > 1) clearParity();
    for (ssize_t i = 1; i < count; ++i) {
      arrival += perByte;
      input_.push_back({packet[i], arrival});
    }
  }
}

void PtyLink::hostSetUpLine() {
  termios settings{};
  if (tcgetattr(slave_, &settings) != 0) return;
  const bool own = ownSettings_ == bytesOf(settings);
  ownSettings_.reset();
  if (!own) display_.setHostLineRate(ttySpeed(master_));  // not the echo of clearParity()
}

void PtyLink::clearParity() {
  // A pty drops the parity enable bit but keeps odd or mark, so the next host that asks for
  // odd parity would change nothing, and the C library reports such a request as failed
  // (EINVAL). Cleared when the host is done setting up (it purges, or it sends), never while
  // it may still be checking what it set.
  if (!options_.resetParity) return;
  termios settings{};
  if (tcgetattr(slave_, &settings) != 0 || !(settings.c_cflag & (PARODD | CMSPAR))) return;
  settings.c_cflag &= ~(PARODD | CMSPAR);
  if (tcsetattr(slave_, TCSANOW, &settings) == 0 && tcgetattr(slave_, &settings) == 0) {
    ownSettings_ = bytesOf(settings);
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
  if (options_.lineRate) {
    const Clock::duration perByte = byteTime();
    Clock::time_point freeAt = lineFreeAt_;
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
  if (options_.lineRate) lineFreeAt_ += byteTime() * written;
  blocked_ = static_cast<size_t>(written) < ready;
}

int PtyLink::service(short revents) {
  const Faults faults = display_.faults();
  if (faults.unplugged) {
    close();
    return -1;
  }
  if (master_ < 0) open();
  holdBusy(faults.busy);
  if (revents & POLLOUT) blocked_ = false;
  const Clock::time_point now = Clock::now();
  if (revents & POLLIN) readHost(now);
  feedDisplay(now);
  writeHost(Clock::now());

  // Microseconds: a byte takes 573 us at 19200 baud, and waking on whole milliseconds would
  // add up to a millisecond to every exchange of a paced line.
  int wait = -1;
  auto consider = [&wait](long long microseconds) {
    const int bounded = static_cast<int>(std::clamp<long long>(microseconds, 0, INT_MAX));
    wait = wait < 0 ? bounded : std::min(wait, bounded);
  };
  const auto untilUs = [](Clock::time_point at) {
    // Rounded up: waking early would only spin.
    return std::chrono::ceil<std::chrono::microseconds>(at - Clock::now()).count();
  };
  if (!input_.empty()) consider(untilUs(input_.front().at));
  if (!output_.empty() && !blocked_) consider(untilUs(lineFreeAt_ + byteTime()));
  if (const auto release = display_.nextRelease()) {
    consider(1000LL * static_cast<int32_t>(*release - display_.now()));
  }
  return wait;
}

}  // namespace QrEmu
