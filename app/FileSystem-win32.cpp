#include <windows.h>

#include "app/FileSystem.h"

namespace QrApp {

std::vector<FoundFile> listFiles(const std::wstring& folder) {
  std::vector<FoundFile> files;
  WIN32_FIND_DATAW found{};
  // Every entry: the patterns are matched by NamePattern, so both platforms agree (the system's
  // own matching also compares 8.3 short names, where "*.hex" finds "a.hexold").
  HANDLE search = FindFirstFileW(joinPath(folder, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      files.push_back({found.cFileName, found.nFileSizeLow});
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

bool folderExists(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
  return folder + L'\\' + name;
}

}  // namespace QrApp
