#include "app/TextFormat.h"

namespace QrApp {

std::wstring formatText(std::wstring_view format,
                        std::initializer_list<std::wstring_view> arguments) {
  std::wstring result;
  const auto* next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    const wchar_t character = format[i];
    const wchar_t following = i + 1 < format.size() ? format[i + 1] : L'\0';
    if (character == L'%' && (following == L's' || following == L'd')) {
      if (next != arguments.end()) result.append(*next++);
      ++i;
    } else if (character == L'%' && following == L'%') {
      result.push_back(L'%');
      ++i;
    } else {
      result.push_back(character);
    }
  }
  return result;
}

}  // namespace QrApp
