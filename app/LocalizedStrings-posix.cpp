#include "app/LocalizedStrings.h"

#include <algorithm>
#include <iterator>

namespace QrApp {

namespace {

struct Entry {
  uint16_t id;
  const wchar_t* english;
  const wchar_t* german;
};

constexpr Entry kTable[] = {
#define QR_STRING(id, name, english, german) {id, L##english, L##german},
#include "resources/strings.def"
#undef QR_STRING
};

}  // namespace

std::wstring loadLocalizedString(uint16_t id, uint16_t language, std::size_t bufferLength) {
  if (bufferLength == 0) return {};
  const auto* entry = std::find_if(std::begin(kTable), std::end(kTable),
                                   [id](const Entry& candidate) { return candidate.id == id; });
  if (entry == std::end(kTable)) return {};
  const wchar_t* text = nullptr;
  if (language == kLanguageEnglish) text = entry->english;
  if (language == kLanguageGerman) text = entry->german;
  if (text == nullptr) return {};
  std::wstring result(text);
  if (result.size() > bufferLength - 1) result.resize(bufferLength - 1);
  return result;
}

}  // namespace QrApp
