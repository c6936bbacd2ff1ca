#include <windows.h>

#include "qrcom/base/FileSearch.h"

namespace QrCom {

std::optional<std::wstring> findFile(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  return path;  // opens the same file, whatever the case of its name
}

}  // namespace QrCom
