#include "app/FileSearch.h"

#include <algorithm>

#include "app/NamePattern.h"

namespace QrApp {

std::vector<FoundFile> findFiles(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<FoundFile> files = listFiles(folder);
  files.erase(
      std::remove_if(files.begin(), files.end(),
                     [&](const FoundFile& file) { return !matchesPattern(file.name, pattern); }),
      files.end());
  return files;
}

std::optional<FoundFile> findFirstFile(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<FoundFile> files = findFiles(folder, pattern);
  if (files.empty()) return std::nullopt;
  return std::move(files.front());
}

}  // namespace QrApp
