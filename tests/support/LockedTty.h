#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace QrTest {

// A tty kept open and locked, as a screen reader's driver keeps its display's.
class LockedTty {
 public:
  explicit LockedTty(std::string path) : path_(std::move(path)) {}
  ~LockedTty() { letGo(); }
  LockedTty(const LockedTty&) = delete;
  LockedTty& operator=(const LockedTty&) = delete;

  // False when another program holds the tty.
  bool take() {
    descriptor_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor_ >= 0 && flock(descriptor_, LOCK_EX | LOCK_NB) == 0) return true;
    letGo();
    return false;
  }
  void letGo() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
  }
  // For a BrlapiTestServer: lets go when the driver is to stop, takes the tty when it is to run.
  bool driverRuns(bool run) {
    if (run) return take();
    letGo();
    return true;
  }

 private:
  const std::string path_;
  int descriptor_ = -1;
};

}  // namespace QrTest
