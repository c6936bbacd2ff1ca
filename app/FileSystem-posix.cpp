#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "app/FileSystem.h"
#include "app/NamePattern.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

std::vector<FoundFile> listFiles(const std::wstring& folder) {
  std::vector<FoundFile> files;
  DIR* directory = opendir(QrCom::toUtf8(folder).c_str());
  if (directory == nullptr) return files;
  const int descriptor = dirfd(directory);
  while (const dirent* entry = readdir(directory)) {
    struct stat status {};
    // Follows links: a link to a file is a file of the package.
    if (fstatat(descriptor, entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode)) continue;
    std::wstring name = QrCom::fromUtf8(entry->d_name);
    // A name that is not UTF-8 could not be opened again through its wide form.
    if (QrCom::toUtf8(name) != entry->d_name) continue;
    files.push_back({std::move(name), static_cast<uint32_t>(status.st_size)});
  }
  closedir(directory);
  std::sort(files.begin(), files.end(), [](const FoundFile& left, const FoundFile& right) {
    return compareNames(left.name, right.name) < 0;
  });
  return files;
}

bool folderExists(const std::wstring& folder) {
  struct stat status {};
  return stat(QrCom::toUtf8(folder).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && folder.back() == L'/') return folder + name;
  return folder + L'/' + name;
}

}  // namespace QrApp
