#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QrApp {

// One file of a folder listing.
struct FoundFile {
  std::wstring name;
  uint32_t size = 0;  // the low 32 bits, as a Windows directory search reports them
};

// The platform's folder primitives (FileSystem-posix.cpp, FileSystem-win32.cpp).

// The files (not folders) directly inside `folder`: on Windows in the order the system's
// directory search returns them, on Linux, whose directory order means nothing, in
// case-insensitive name order. Empty when the folder cannot be read.
std::vector<FoundFile> listFiles(const std::wstring& folder);
bool folderExists(const std::wstring& folder);
// `folder` and `name` joined with the platform's separator (not doubled).
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace QrApp
