#pragma once

#include <cstdint>
#include <string>

#include "qrcom/base/CalendarTime.h"
#include "qrcom/base/QrFile.h"

namespace QrCom {

enum FileMode : int32_t { kFileRead = 0, kFileWrite = 1 };

// A file on the PC's disk. Holds the behaviour and the messages both platforms share; WinFile
// and PosixFile supply the system calls. Messages are prefixed with the platform class's name.
class LocalFile : public QrFile {
 public:
  int32_t writeBuffer(const uint8_t* data, int32_t length) override;
  int32_t readBuffer(uint8_t* data, int32_t length) override;
  int32_t getLine(char* data, int32_t capacity) override;
  int32_t getSize() override;
  virtual ~LocalFile() = default;
  // Closes and deletes the file; every later read, write or erase fails.
  virtual void erase();

  const std::wstring& path() const { return path_; }

 protected:
  LocalFile(const wchar_t* className, const std::wstring& path, FileMode mode);

  // The path to open: one pair of enclosing double quotes removed.
  std::wstring unquotedPath() const;
  [[noreturn]] void throwCannotOpen() const;
  bool isErased() const { return erased_; }

  // System calls; each returns false on failure.
  virtual bool systemWrite(const uint8_t* data, int32_t length, int32_t& written) = 0;
  virtual bool systemRead(uint8_t* data, int32_t length, int32_t& read) = 0;
  virtual bool systemSize(int32_t& size) = 0;
  virtual void systemClose() = 0;
  virtual bool systemDelete() = 0;

 private:
  std::wstring prefix(const wchar_t* operation) const;
  void requireNotErased(const wchar_t* operation) const;

  std::wstring className_;
  std::wstring path_;
  FileMode mode_;
  bool erased_ = false;
};

// Reads the last-write time of `path` in local time. Never throws.
bool getFileTime(const wchar_t* path, CalendarTime* out);

}  // namespace QrCom
