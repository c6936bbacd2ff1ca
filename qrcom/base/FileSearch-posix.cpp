#include <sys/stat.h>

#include "qrcom/base/FileSearch.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {

bool fileExists(const std::wstring& path) {
  struct stat status {};
  return !path.empty() && stat(toUtf8(path).c_str(), &status) == 0;
}

}  // namespace QrCom
