#include "app/posix/SettingsFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

namespace fs = std::filesystem;

const std::string kKey = "lastUpdaterPath=";

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::optional<std::wstring> SettingsFile::readLastFolder() {
  if (path_.empty()) return std::nullopt;
  for (const std::string& line : readLines(path_)) {
    if (line.rfind(kKey, 0) == 0 && line.size() > kKey.size()) {
      return QrCom::fromUtf8(line.substr(kKey.size()));
    }
  }
  return std::nullopt;
}

void SettingsFile::writeLastFolder(const std::wstring& folder) {
  const std::string value = QrCom::toUtf8(folder);
  // A line end in the name would break the file; such a folder is not remembered.
  if (path_.empty() || value.empty() || value.find_first_of("\r\n") != std::string::npos) return;
  std::ostringstream content;
  bool written = false;
  for (const std::string& line : readLines(path_)) {
    if (line.rfind(kKey, 0) != 0) {
      content << line << '\n';
    } else if (!written) {
      content << kKey << value << '\n';
      written = true;
    }
  }
  if (!written) content << kKey << value << '\n';

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
