#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/FolderSettings.h"

namespace QrApp {

// What the program keeps between runs, in a small text file of "key=value" lines: the last
// folder (lastUpdaterPath) and the model of each display updated ("display:SERIAL"), which a
// display waiting in its boot loader does not tell. Other lines are kept when one is written.
class SettingsFile : public FolderSettings {
 public:
  // An empty path stores nothing.
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  std::optional<std::wstring> readLastFolder() override;
  void writeLastFolder(const std::wstring& folder) override;
  void rememberModel(const std::wstring& serial, uint8_t modelId);
  std::optional<uint8_t> rememberedModel(const std::wstring& serial) const;

 private:
  std::optional<std::string> read(const std::string& key) const;
  // A value or key with a line end, or a key with "=", is not stored.
  void write(const std::string& key, const std::string& value);

  std::string path_;
};

// $XDG_CONFIG_HOME/quorlin/updater.conf, or ~/.config/quorlin/updater.conf when that variable is
// unset, empty or relative; empty when there is no home folder either.
std::string settingsPath(const char* xdgConfigHome, const char* home);
std::string defaultSettingsPath();

}  // namespace QrApp
