#include "qrcom/firmware/SerialNumberRules.h"

#include <cwctype>

#include "qrcom/base/QrException.h"

namespace QrCom {
namespace SerialNumberRules {

namespace {
constexpr size_t kDefaultOffset = 4;
constexpr size_t kDefaultLength = 8;

bool sameIgnoringCase(wchar_t a, wchar_t b) {
  return std::towlower(a) == std::towlower(b);
}

bool isDigit(wchar_t character) {
  return character >= L'0' && character <= L'9';
}
}  // namespace

std::wstring fromBytes(const uint8_t* bytes, size_t count, size_t maxLength) {
  std::wstring text;
  for (size_t i = 0; i < count && i < maxLength && bytes[i] != 0; ++i) text += wchar_t(bytes[i]);
  return text;
}

bool isValid(const std::wstring& serialNumber) {
  if (serialNumber.size() < 3) return true;
  for (size_t i = 0; i < 3; ++i) {
    if (!sameIgnoringCase(serialNumber[i], L'X')) return true;
  }
  return false;
}

bool isDefault(const std::wstring& serialNumber, const wchar_t* defaultText) {
  if (serialNumber.size() < kDefaultOffset + kDefaultLength) return false;
  for (size_t i = 0; i < kDefaultLength; ++i) {
    if (!sameIgnoringCase(serialNumber[kDefaultOffset + i], defaultText[i])) return false;
  }
  return true;
}

int deliveryYear(const std::wstring& serialNumber) {
  const size_t dash = serialNumber.find(L'-');
  if (dash == std::wstring::npos || dash + 2 >= serialNumber.size() ||
      !isDigit(serialNumber[dash + 1]) || !isDigit(serialNumber[dash + 2])) {
    throw DeliveryYearNotAvailable(L"");
  }
  return (serialNumber[dash + 1] - L'0') * 10 + (serialNumber[dash + 2] - L'0');
}

}  // namespace SerialNumberRules
}  // namespace QrCom
