#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win/RegistryFolderSettings.h"

namespace QrApp {
namespace {

// Each test works on a key of its own under HKEY_CURRENT_USER, removed before and after.
class RegistryFolderSettingsTest : public ::testing::Test {
 protected:
  const std::wstring kKey = L"SOFTWARE\\Quorlin\\UpdaterTest";

  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }

  // Stores `text` and its null, or its first `bytes` bytes, as the value of the given type.
  void store(const std::wstring& text, DWORD type = REG_SZ, DWORD bytes = 0) {
    if (bytes == 0) bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), L"lastUpdaterPath", type,
                              text.c_str(), bytes),
              ERROR_SUCCESS);
  }

  RegistryFolderSettings settings{kKey};
};

TEST_F(RegistryFolderSettingsTest, WritesTheFolderAsATextWithItsNull) {
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);  // no key yet
  const std::wstring folder = L"C:\\Firmware \u00dcbung\\Corlet";
  settings.writeLastFolder(folder);
  EXPECT_EQ(RegistryFolderSettings(kKey).readLastFolder(), folder);
  DWORD type = 0;
  DWORD size = 0;
  RegGetValueW(HKEY_CURRENT_USER, kKey.c_str(), L"lastUpdaterPath", RRF_RT_ANY | RRF_NOEXPAND,
               &type, nullptr, &size);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (folder.size() + 1) * sizeof(wchar_t));
  // Key names are limited to 255 characters: such a key cannot be created.
  RegistryFolderSettings impossible(L"SOFTWARE\\" + std::wstring(300, L'k'));
  impossible.writeLastFolder(L"C:\\fw");
  EXPECT_EQ(impossible.readLastFolder(), std::nullopt);
}

TEST_F(RegistryFolderSettingsTest, OnlyATextOfAtMost260CharactersCounts) {
  store(L"%USERPROFILE%\\fw", REG_EXPAND_SZ);
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  store(L"");
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  store(std::wstring(260, L'a'));  // 522 bytes with the null: fits the buffer exactly
  EXPECT_EQ(settings.readLastFolder(), std::wstring(260, L'a'));
  // A longer value does not fit the buffer: a cut path would name another folder, so none.
  store(std::wstring(300, L'd'));
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  // A value stored without its null is read to its stored size; one with a null inside to that.
  store(L"C:\\fwXYZ", REG_SZ, 10);
  EXPECT_EQ(settings.readLastFolder(), L"C:\\fw");
  store(std::wstring(L"C:\\fw\0junk", 10));
  EXPECT_EQ(settings.readLastFolder(), L"C:\\fw");
}

}  // namespace
}  // namespace QrApp
