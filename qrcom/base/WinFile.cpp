#include "qrcom/base/WinFile.h"

#include "qrcom/base/WinTime.h"

namespace QrCom {

WinFile::WinFile(const std::wstring& path, FileMode mode) : LocalFile(L"WinFile", path, mode) {
  const std::wstring name = unquotedPath();
  if (mode == kFileRead) {
    handle_ = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  } else {
    handle_ = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle_ == INVALID_HANDLE_VALUE) throwCannotOpen();
}

WinFile::~WinFile() {
  if (!isErased()) CloseHandle(handle_);
}

bool WinFile::systemWrite(const uint8_t* data, int32_t length, int32_t& written) {
  DWORD count = 0;
  const BOOL ok = WriteFile(handle_, data, static_cast<DWORD>(length), &count, nullptr);
  written = static_cast<int32_t>(count);
  return ok != FALSE;
}

bool WinFile::systemRead(uint8_t* data, int32_t length, int32_t& read) {
  DWORD count = 0;
  const BOOL ok = ReadFile(handle_, data, static_cast<DWORD>(length), &count, nullptr);
  read = static_cast<int32_t>(count);
  return ok != FALSE;
}

bool WinFile::systemSize(int32_t& size) {
  const DWORD low = GetFileSize(handle_, nullptr);
  if (low == INVALID_FILE_SIZE) return false;
  size = static_cast<int32_t>(low);
  return true;
}

void WinFile::systemClose() {
  CloseHandle(handle_);
}

bool WinFile::systemDelete() {
  return DeleteFileW(unquotedPath().c_str()) != FALSE;
}

bool getFileTime(const wchar_t* path, CalendarTime* out) {
  if (path == nullptr || out == nullptr) return false;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written{};
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  const bool ok = GetFileTime(file, nullptr, nullptr, &written) &&
                  FileTimeToSystemTime(&written, &utc) &&
                  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  CloseHandle(file);
  if (ok) {
    *out = toCalendarTime(local);
  }
  return ok;
}

}  // namespace QrCom
