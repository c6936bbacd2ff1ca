#pragma once

#include <string>

#include "app/FolderSettings.h"

namespace QrApp {

// The last folder as the REG_SZ value lastUpdaterPath of a key under HKEY_CURRENT_USER.
class RegistryFolderSettings : public FolderSettings {
 public:
  explicit RegistryFolderSettings(std::wstring key = L"SOFTWARE\\Quorlin\\Updater")
      : key_(std::move(key)) {}

  // At most 260 characters of the value; nothing unless it is a non-empty REG_SZ that fits into
  // 261 characters.
  std::optional<std::wstring> readLastFolder() override;
  void writeLastFolder(const std::wstring& folder) override;

 private:
  std::wstring key_;
};

}  // namespace QrApp
