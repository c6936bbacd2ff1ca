#include "app/win/RegistryFolderSettings.h"

#include <windows.h>

#include <algorithm>

namespace QrApp {

namespace {

constexpr const wchar_t* kValueName = L"lastUpdaterPath";
constexpr std::size_t kMaximumLength = 260;  // characters of a path
constexpr DWORD kBufferBytes = 522;

}  // namespace

std::optional<std::wstring> RegistryFolderSettings::readLastFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  wchar_t buffer[kBufferBytes / sizeof(wchar_t)] = {};
  DWORD type = 0;
  DWORD size = kBufferBytes;
  const LSTATUS status =
      RegQueryValueExW(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  // A stored value need not end with a null character.
  const std::size_t stored = std::min<std::size_t>(size / sizeof(wchar_t), kMaximumLength);
  std::wstring folder(buffer, std::find(buffer, buffer + stored, L'\0'));
  if (folder.empty()) return std::nullopt;
  return folder;
}

void RegistryFolderSettings::writeLastFolder(const std::wstring& folder) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace QrApp
