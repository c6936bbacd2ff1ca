#include "app/win/ResourceLookup.h"

#include <algorithm>

namespace QrApp {

ResourceData loadResource(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language) {
  HRSRC found = FindResourceExW(module, type, name, language);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return {bytes, SizeofResource(module, found)};
}

std::vector<WORD> resourceLanguages(HMODULE module, const wchar_t* type, const wchar_t* name) {
  std::vector<WORD> languages;
  EnumResourceLanguagesW(
      module, type, name,
      [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) -> BOOL {
        reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

bool hasResourceLanguage(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language) {
  const std::vector<WORD> languages = resourceLanguages(module, type, name);
  return std::find(languages.begin(), languages.end(), language) != languages.end();
}

}  // namespace QrApp
