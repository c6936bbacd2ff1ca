#include "qrcom/base/PosixFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include "qrcom/base/PosixTime.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {

PosixFile::PosixFile(const std::wstring& path, FileMode mode)
    : LocalFile(L"PosixFile", path, mode) {
  const std::string name = toUtf8(unquotedPath());
  if (mode == kFileRead) {
    descriptor_ = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  } else {
    descriptor_ = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  if (descriptor_ < 0) throwCannotOpen();
}

PosixFile::~PosixFile() {
  if (!isErased()) close(descriptor_);
}

bool PosixFile::systemWrite(const uint8_t* data, int32_t length, int32_t& written) {
  // One call on Windows writes everything to a disk file; loop over short writes to match.
  written = 0;
  while (written < length) {
    const ssize_t count = write(descriptor_, data + written, static_cast<size_t>(length - written));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<int32_t>(count);
  }
  return true;
}

bool PosixFile::systemRead(uint8_t* data, int32_t length, int32_t& read) {
  ssize_t count;
  do {
    count = ::read(descriptor_, data, static_cast<size_t>(length));
  } while (count < 0 && errno == EINTR);
  read = count > 0 ? static_cast<int32_t>(count) : 0;
  return count >= 0;
}

bool PosixFile::systemSize(int32_t& size) {
  struct stat status {};
  if (fstat(descriptor_, &status) != 0) return false;
  size = static_cast<int32_t>(status.st_size);
  return true;
}

void PosixFile::systemClose() {
  close(descriptor_);
}

bool PosixFile::systemDelete() {
  return unlink(toUtf8(unquotedPath()).c_str()) == 0;
}

bool getFileTime(const wchar_t* path, CalendarTime* out) {
  if (path == nullptr || out == nullptr) return false;
  struct stat status {};
  if (stat(toUtf8(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  *out = localCalendarTime(status.st_mtim.tv_sec,
                           static_cast<uint16_t>(status.st_mtim.tv_nsec / 1000000));
  return true;
}

}  // namespace QrCom
