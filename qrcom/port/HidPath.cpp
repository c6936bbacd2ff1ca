#include "qrcom/port/HidPath.h"

#include <algorithm>
#include <initializer_list>

namespace QrCom {

namespace {

constexpr std::wstring_view kInterfaceMarker = L"&mi_";
constexpr std::wstring_view kFirstInterface = L"&mi_00#";
constexpr std::wstring_view kMakersDevice = L"hid#vid_4c7a&pid_";
constexpr size_t kProductIdDigits = 4;

bool contains(std::wstring_view text, std::wstring_view part) {
  return text.find(part) != std::wstring_view::npos;
}

int hexDigit(wchar_t character) {
  if (character >= L'0' && character <= L'9') return character - L'0';
  if (character >= L'a' && character <= L'f') return character - L'a' + 10;
  if (character >= L'A' && character <= L'F') return character - L'A' + 10;
  return -1;
}

bool isOneOf(int value, std::initializer_list<int> values) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

std::optional<int> parseHidPath(std::wstring_view path) {
  if (contains(path, kInterfaceMarker) && !contains(path, kFirstInterface)) return std::nullopt;
  const size_t found = path.find(kMakersDevice);
  if (found == std::wstring_view::npos) return std::nullopt;
  // The leading hexadecimal digits of the next four characters.
  const std::wstring_view digits = path.substr(found + kMakersDevice.size(), kProductIdDigits);
  int productId = 0;
  size_t used = 0;
  for (; used < digits.size() && hexDigit(digits[used]) >= 0; ++used) {
    productId = productId * 16 + hexDigit(digits[used]);
  }
  if (used == 0) return std::nullopt;
  return productId;
}

bool isDisplayProduct(int productId) {
  return isOneOf(productId, {3,   5,   50,  51,  54,  56,  58,  68,  84,  85,  97,  100, 114, 116,
                             120, 129, 130, 131, 132, 134, 135, 138, 139, 140, 144, 147, 148});
}

bool isBridgeProduct(int productId) {
  return isDisplayProduct(productId) &&
         !isOneOf(productId,
                  {51, 84, 85, 97, 100, 129, 130, 131, 132, 134, 135, 138, 139, 140, 147, 148});
}

}  // namespace QrCom
