#include "qrcom/protocol/TargetFileName.h"

#include "qrcom/base/QrException.h"
#include "qrcom/base/Text.h"

namespace QrCom {

std::string prepareTargetName(const std::wstring& source, const std::wstring& target,
                              std::wstring_view prefix, size_t limit,
                              std::wstring_view emptySourceText) {
  if (source.empty()) throw IllegalSourceFileNameException(compose(prefix, emptySourceText));
  if (target.empty()) {
    throw IllegalTargetFileNameException(compose(prefix, L"Empty target file name."));
  }
  const size_t start = target.find_first_not_of(L"\t ");
  const std::wstring_view name =
      start == std::wstring::npos ? std::wstring_view() : std::wstring_view(target).substr(start);
  // A multi-byte code page may need more bytes than characters; the device counts bytes.
  std::string bytes = name.size() > limit ? std::string() : toAnsi(name);
  if (name.size() > limit || bytes.size() > limit) {
    throw IllegalTargetFileNameException(compose(prefix, L"TargetFilename too long."));
  }
  return bytes;
}

}  // namespace QrCom
