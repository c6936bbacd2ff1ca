#include "emulator/tool/ControlFifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace QrEmu {

namespace {
// A longer line is nobody's command: it is dropped.
constexpr size_t kLongestLine = 1024;
}  // namespace

ControlFifo::ControlFifo(std::string path) : path_(std::move(path)) {
  struct stat existing {};
  if (lstat(path_.c_str(), &existing) == 0 && S_ISFIFO(existing.st_mode)) unlink(path_.c_str());
  if (mkfifo(path_.c_str(), 0600) != 0) {
    throw std::system_error(errno, std::generic_category(), path_);
  }
  reader_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  writer_ = open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  if (reader_ < 0 || writer_ < 0) {
    const int error = errno;
    release();
    throw std::system_error(error, std::generic_category(), path_);
  }
}

ControlFifo::~ControlFifo() {
  release();
}

void ControlFifo::release() {
  if (reader_ >= 0) close(reader_);
  if (writer_ >= 0) close(writer_);
  reader_ = writer_ = -1;
  unlink(path_.c_str());
}

void ControlFifo::readLines(const std::function<void(const std::string&)>& onLine) {
  char buffer[256];
  ssize_t count;
  while ((count = read(reader_, buffer, sizeof buffer)) > 0) {
    for (ssize_t i = 0; i < count; ++i) {
      if (buffer[i] == '\n') {
        if (pending_.size() <= kLongestLine) onLine(pending_);
        pending_.clear();
      } else if (buffer[i] != '\r' && pending_.size() <= kLongestLine) {
        pending_ += buffer[i];
      }
    }
  }
}

}  // namespace QrEmu
