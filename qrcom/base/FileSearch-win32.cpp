#include <windows.h>

#include "qrcom/base/FileSearch.h"

namespace QrCom {

bool fileExists(const std::wstring& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

}  // namespace QrCom
