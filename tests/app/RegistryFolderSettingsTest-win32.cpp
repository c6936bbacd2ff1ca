#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/win/RegistryFolderSettings.h"

namespace QrApp {
namespace {

// Each test works on a key of its own under HKEY_CURRENT_USER, removed before and after.
class RegistryFolderSettingsTest : public ::testing::Test {
 protected:
  const std::wstring kKey = L"SOFTWARE\\Quorlin\\UpdaterTest";

  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }

  void store(DWORD type, const void* bytes, DWORD size) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), L"lastUpdaterPath", type, bytes, size),
        ERROR_SUCCESS);
  }
  void storeText(const std::wstring& text, DWORD type = REG_SZ) {
    store(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  // The stored value's type and bytes.
  std::pair<DWORD, std::vector<BYTE>> stored() {
    DWORD type = 0;
    DWORD size = 0;
    RegGetValueW(HKEY_CURRENT_USER, kKey.c_str(), L"lastUpdaterPath", RRF_RT_ANY | RRF_NOEXPAND,
                 &type, nullptr, &size);
    std::vector<BYTE> bytes(size);
    RegGetValueW(HKEY_CURRENT_USER, kKey.c_str(), L"lastUpdaterPath", RRF_RT_ANY | RRF_NOEXPAND,
                 &type, bytes.data(), &size);
    return {type, bytes};
  }

  RegistryFolderSettings settings{kKey};
};

TEST_F(RegistryFolderSettingsTest, WritesAndReadsTheFolder) {
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);  // no key yet
  const std::wstring folder = L"C:\\Firmware \u00dcbung\\Corlet";
  settings.writeLastFolder(folder);
  EXPECT_EQ(settings.readLastFolder(), folder);
  EXPECT_EQ(RegistryFolderSettings(kKey).readLastFolder(), folder);
  // A REG_SZ of the text and its terminating null.
  const auto [type, bytes] = stored();
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes.size(), (folder.size() + 1) * 2);
  EXPECT_EQ(bytes[bytes.size() - 2], 0);
  EXPECT_EQ(bytes[bytes.size() - 1], 0);

  settings.writeLastFolder(L"D:\\fw");
  EXPECT_EQ(settings.readLastFolder(), L"D:\\fw");
}

TEST_F(RegistryFolderSettingsTest, OnlyATextValueCounts) {
  storeText(L"%USERPROFILE%\\fw", REG_EXPAND_SZ);
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  storeText(L"C:\\fw", REG_MULTI_SZ);
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  const DWORD number = 42;
  store(REG_DWORD, &number, sizeof number);
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
  storeText(L"");
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);
}

TEST_F(RegistryFolderSettingsTest, ReadsAtMost260Characters) {
  const std::wstring longest(260, L'a');
  storeText(longest);  // 522 bytes with the null: fits the buffer exactly
  EXPECT_EQ(settings.readLastFolder(), longest);

  // A value stored without its terminating null is read to its stored size.
  store(REG_SZ, L"C:\\fwXYZ", 10);
  EXPECT_EQ(settings.readLastFolder(), L"C:\\fw");

  // A longer value does not fit the buffer: a cut path would name another folder, so none.
  storeText(std::wstring(300, L'd'));
  EXPECT_EQ(settings.readLastFolder(), std::nullopt);

  const std::wstring embedded(L"C:\\fw\0junk", 10);
  store(REG_SZ, embedded.c_str(), static_cast<DWORD>(embedded.size() * sizeof(wchar_t)));
  EXPECT_EQ(settings.readLastFolder(), L"C:\\fw");
}

TEST_F(RegistryFolderSettingsTest, AKeyThatCannotBeCreatedIsIgnored) {
  // Key names are limited to 255 characters.
  RegistryFolderSettings impossible(L"SOFTWARE\\" + std::wstring(300, L'k'));
  impossible.writeLastFolder(L"C:\\fw");
  EXPECT_EQ(impossible.readLastFolder(), std::nullopt);
}

}  // namespace
}  // namespace QrApp
