#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win/RegistryFolderSettings.h"

namespace QrApp {
namespace {

// On a key of its own under HKEY_CURRENT_USER, removed before and after.
TEST(RegistryFolderSettingsTest, TheFolderIsATextOfAtMost260CharactersWithItsNull) {
  const std::wstring key = L"SOFTWARE\\Quorlin\\UpdaterTest";
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  RegistryFolderSettings settings(key);
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);  // no key yet
  const std::wstring folder = L"C:\\Firmware \u00dcbung\\Corlet";
  settings.writeLastFolder(folder);
  EXPECT_EQ(RegistryFolderSettings(key).readLastFolder(), folder);
  DWORD type = 0;
  DWORD size = 0;
  RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"lastUpdaterPath", RRF_RT_ANY | RRF_NOEXPAND, &type,
               nullptr, &size);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (folder.size() + 1) * sizeof(wchar_t));

  // Stores `text` and its null, or its first `bytes` bytes, as a value of the given type.
  const auto stored = [&](const std::wstring& text, DWORD type = REG_SZ, DWORD bytes = 0) {
    if (bytes == 0) bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"lastUpdaterPath", type, text.c_str(), bytes);
    return settings.readLastFolder();
  };
  EXPECT_EQ(stored(L"%USERPROFILE%\\fw", REG_EXPAND_SZ), std::nullopt);
  EXPECT_EQ(stored(L""), std::nullopt);
  // 522 bytes with the null fit the buffer exactly; a longer value would be cut to another
  // folder's name, so it is none.
  EXPECT_EQ(stored(std::wstring(260, L'a')), std::wstring(260, L'a'));
  EXPECT_EQ(stored(std::wstring(300, L'd')), std::nullopt);
  // A value stored without its null is read to its stored size; one with a null inside to that.
  EXPECT_EQ(stored(L"C:\\fwXYZ", REG_SZ, 10), L"C:\\fw");
  EXPECT_EQ(stored(std::wstring(L"C:\\fw\0junk", 10)), L"C:\\fw");
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());

  // Key names are limited to 255 characters: such a key cannot be created.
  RegistryFolderSettings impossible(L"SOFTWARE\\" + std::wstring(300, L'k'));
  impossible.writeLastFolder(L"C:\\fw");
  EXPECT_EQ(impossible.readLastFolder(), std::nullopt);
}

}  // namespace
}  // namespace QrApp
