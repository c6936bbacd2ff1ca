#include "qrcom/base/LocalFile.h"

#include "qrcom/base/QrException.h"

namespace QrCom {

LocalFile::LocalFile(const wchar_t* className, const std::wstring& path, FileMode mode)
    : className_(className), path_(path), mode_(mode) {}

std::wstring LocalFile::unquotedPath() const {
  std::wstring unquoted = path_;
  if (unquoted.size() > 1) {
    if (unquoted.front() == L'"') unquoted.erase(0, 1);
    if (!unquoted.empty() && unquoted.back() == L'"') unquoted.pop_back();
  }
  return unquoted;
}

std::wstring LocalFile::prefix(const wchar_t* operation) const {
  return compose(className_, L"::", operation, L" -- ");
}

void LocalFile::throwCannotOpen() const {
  throw CannotOpenFileException(
      compose(prefix(className_.c_str()), L"Cannot open file ", path_,
              mode_ == kFileRead ? L" in read-Mode." : L" in write-Mode."));
}

void LocalFile::requireNotErased(const wchar_t* operation) const {
  if (erased_)
    throw FileNotFoundException(compose(prefix(operation), L" File ", path_, L" was erased."));
}

int32_t LocalFile::writeBuffer(const uint8_t* data, int32_t length) {
  requireNotErased(L"writeBuffer");
  if (mode_ == kFileRead) {
    throw CannotWriteToFileException(compose(prefix(L"writeBuffer"), L" Can't write to file ",
                                             path_, L". File is opened readonly."));
  }
  int32_t written = 0;
  if (!systemWrite(data, length, written)) {
    throw CannotWriteToFileException(compose(prefix(L"writeBuffer"), L" Can't write to file ",
                                             path_, L". Error occured while writing."));
  }
  return written;
}

int32_t LocalFile::readBuffer(uint8_t* data, int32_t length) {
  requireNotErased(L"readBuffer");
  if (mode_ == kFileWrite) {
    throw CannotReadFromFileException(compose(prefix(L"readBuffer"), L" Can't read from file ",
                                              path_, L". File is opened with writeonly-flag."));
  }
  int32_t read = 0;
  if (!systemRead(data, length, read)) {
    throw CannotReadFromFileException(compose(prefix(L"readBuffer"), L" Can't read from file ",
                                              path_, L". Error occured while reading."));
  }
  return read;
}

int32_t LocalFile::getLine(char* data, int32_t capacity) {
  int32_t stored = 0;
  while (stored < capacity) {
    uint8_t byte = 0;
    int32_t read = 0;
    if (erased_ || !systemRead(&byte, 1, read)) {
      throw CannotReadFromFileException(compose(prefix(L"getLine"), L" Can't read from file ",
                                                path_, L". Error occured while reading."));
    }
    if (read == 0) break;  // end of file ends the line
    data[stored++] = static_cast<char>(byte);
    if (byte == '\n') break;
  }
  return stored;
}

int32_t LocalFile::getSize() {
  int32_t size = 0;
  if (!systemSize(size)) {
    throw CannotReadFileSizeException(
        compose(prefix(L"getSize"), L" Can't detect size of file ", path_, L"."));
  }
  return size;
}

void LocalFile::erase() {
  requireNotErased(L"erase");
  systemClose();
  erased_ = true;
  if (!systemDelete()) {
    throw CannotDeleteFileException(compose(prefix(L"erase"), L" Can't delete file ", path_, L"."));
  }
}

}  // namespace QrCom
