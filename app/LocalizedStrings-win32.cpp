#include <windows.h>

#include <algorithm>

#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"
#include "app/win/ResourceLookup.h"

namespace QrApp {

std::wstring loadLocalizedString(uint16_t id, uint16_t language, std::size_t bufferLength) {
  if (bufferLength == 0) return {};
  // A string table block holds 16 counted texts: block id / 16 + 1, entry id % 16.
  const auto module = static_cast<HMODULE>(uiLanguage().module);
  const wchar_t* block = MAKEINTRESOURCEW(id / 16 + 1);
  // The system's lookup falls back to other languages; the texts must be of exactly this one.
  if (!hasResourceLanguage(module, RT_STRING, block, language)) return {};
  const ResourceData data = loadResource(module, RT_STRING, block, language);
  const auto* units = static_cast<const wchar_t*>(data.bytes);
  const std::size_t count = data.size / sizeof(wchar_t);
  std::size_t at = 0;  // the length of the current entry; its text follows
  for (unsigned skip = id % 16; skip > 0 && at < count; --skip) at += 1 + units[at];
  if (at >= count) return {};
  const std::size_t length = std::min<std::size_t>(units[at], count - at - 1);
  return std::wstring(units + at + 1, std::min(length, bufferLength - 1));
}

}  // namespace QrApp
