#include <cstdint>

#include "qrcom/base/Text.h"

namespace QrCom {

namespace {

// Code page 1252, bytes 0x80-0x9F; the five unassigned bytes map to themselves as Windows does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char toCodePage1252(wchar_t character) {
  const auto code = static_cast<uint32_t>(character);
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string toAnsi(std::wstring_view text) {
  std::string result;
  result.reserve(text.size());
  for (wchar_t character : text) result.push_back(toCodePage1252(character));
  return result;
}

std::wstring fromAnsi(std::string_view bytes) {
  std::wstring result;
  result.reserve(bytes.size());
  for (char byte : bytes) {
    const auto value = static_cast<uint8_t>(byte);
    result.push_back(value >= 0x80 && value < 0xA0
                         ? static_cast<wchar_t>(kHighControls[value - 0x80])
                         : static_cast<wchar_t>(value));
  }
  return result;
}

}  // namespace QrCom
