#include <dirent.h>
#include <sys/stat.h>

#include <cwctype>

#include "qrcom/base/FileSearch.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {

namespace {

bool sameIgnoringCase(const std::wstring& left, const std::wstring& right) {
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(left[i])) != std::towlower(static_cast<wint_t>(right[i])))
      return false;
  }
  return true;
}

}  // namespace

std::optional<std::wstring> findFile(const std::wstring& path) {
  struct stat status {};
  if (path.empty()) return std::nullopt;
  if (stat(toUtf8(path).c_str(), &status) == 0) return path;

  const size_t separator = path.find_last_of(L'/');
  const std::wstring folder =
      separator == std::wstring::npos ? L"." : path.substr(0, separator + 1);
  const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
  DIR* listing = opendir(toUtf8(folder).c_str());
  if (listing == nullptr) return std::nullopt;
  // The first match in name order, so that the choice does not depend on the listing's order.
  std::optional<std::wstring> match;
  while (const dirent* entry = readdir(listing)) {
    const std::wstring candidate = fromUtf8(entry->d_name);
    if (sameIgnoringCase(candidate, name) && (!match || candidate < *match)) match = candidate;
  }
  closedir(listing);
  if (!match) return std::nullopt;
  return separator == std::wstring::npos ? *match : folder + *match;
}

}  // namespace QrCom
