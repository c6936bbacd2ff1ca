#pragma once

#include <string>

#include "app/FolderSettings.h"

namespace QrApp {

// The last folder in a small text file of "key=value" lines; the folder is the value of
// lastUpdaterPath. Other lines are kept when the folder is written.
class SettingsFile : public FolderSettings {
 public:
  // An empty path stores nothing.
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  std::optional<std::wstring> readLastFolder() override;
  void writeLastFolder(const std::wstring& folder) override;

 private:
  std::string path_;
};

// $XDG_CONFIG_HOME/quorlin/updater.conf, or ~/.config/quorlin/updater.conf when that variable is
// unset, empty or relative; empty when there is no home folder either.
std::string settingsPath(const char* xdgConfigHome, const char* home);
std::string defaultSettingsPath();

}  // namespace QrApp
