#include "qrcom/base/QrException.h"

#include <algorithm>

namespace QrCom {

namespace {
// What the platform's run-time type information calls a pointer to the root class; the same
// text for every class of the family.
constexpr std::wstring_view kTypeName = L"class QrCom::QrException *";
}  // namespace

const wchar_t kServiceNotSupported[] = L"Service isn't supported for currently selected device.";

QrException::QrException(std::wstring_view text) {
  message_[0] = L'\0';
  setMessage(text);
}

int QrException::setMessage(std::wstring_view text) {
  const std::size_t length = std::min(text.size(), kMaxMessage);
  std::copy_n(text.data(), length, message_);
  message_[length] = L'\0';
  message_[kMaxMessage] = L'\0';
  return 0;
}

const wchar_t* QrException::getMessage() const {
  return message_;
}

void QrException::getTypeName(wchar_t* out, std::size_t capacity) const {
  // strncpy semantics: a short name is terminated, a cut one is not.
  const std::size_t length = std::min(kTypeName.size(), capacity);
  std::copy_n(kTypeName.data(), length, out);
  if (length < capacity) out[length] = L'\0';
}

void notSupported(std::wstring_view prefix) {
  throw WrongProtocolVersionException(compose(prefix, kServiceNotSupported));
}

}  // namespace QrCom
