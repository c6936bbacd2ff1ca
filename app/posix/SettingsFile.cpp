#include "app/posix/SettingsFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

namespace fs = std::filesystem;

const std::string kFolderKey = "lastUpdaterPath";
const std::string kModelKey = "display:";

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Several updates at once may remember their displays.
std::mutex writing;

}  // namespace

std::optional<std::string> SettingsFile::read(const std::string& key) const {
  if (path_.empty()) return std::nullopt;
  const std::string prefix = key + "=";
  for (const std::string& line : readLines(path_)) {
    if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size())
      return line.substr(prefix.size());
  }
  return std::nullopt;
}

void SettingsFile::write(const std::string& key, const std::string& value) {
  if (path_.empty() || value.empty() || (key + value).find_first_of("\r\n") != std::string::npos ||
      key.find('=') != std::string::npos) {
    return;
  }
  const std::string line = key + "=" + value;
  std::lock_guard<std::mutex> guard(writing);
  std::ostringstream content;
  bool written = false;
  for (const std::string& old : readLines(path_)) {
    if (old.rfind(key + "=", 0) != 0) {
      content << old << '\n';
    } else if (!written) {
      content << line << '\n';
      written = true;
    }
  }
  if (!written) content << line << '\n';

  // Written beside and renamed over the old file, so an interrupted write loses nothing.
  std::error_code ignored;
  const fs::path target(path_);
  fs::create_directories(target.parent_path(), ignored);
  const fs::path temporary = target.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << content.str();
    if (!out.flush()) {
      fs::remove(temporary, ignored);
      return;
    }
  }
  fs::rename(temporary, target, ignored);
}

std::optional<std::wstring> SettingsFile::readLastFolder() {
  const std::optional<std::string> folder = read(kFolderKey);
  if (!folder) return std::nullopt;
  return QrCom::fromUtf8(*folder);
}

void SettingsFile::writeLastFolder(const std::wstring& folder) {
  write(kFolderKey, QrCom::toUtf8(folder));
}

void SettingsFile::rememberModel(const std::wstring& serial, uint8_t modelId) {
  if (!serial.empty()) write(kModelKey + QrCom::toUtf8(serial), std::to_string(modelId));
}

std::optional<uint8_t> SettingsFile::rememberedModel(const std::wstring& serial) const {
  const std::optional<std::string> model = read(kModelKey + QrCom::toUtf8(serial));
  if (!model || model->find_first_not_of("0123456789") != std::string::npos || model->size() > 3 ||
      std::stoi(*model) == 0 || std::stoi(*model) > 255) {
    return std::nullopt;
  }
  return static_cast<uint8_t>(std::stoi(*model));
}

std::string settingsPath(const char* xdgConfigHome, const char* home) {
  std::string base;
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    base = xdgConfigHome;
  } else if (home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.config";
  } else {
    return {};
  }
  return base + "/quorlin/updater.conf";
}

std::string defaultSettingsPath() {
  return settingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

}  // namespace QrApp
