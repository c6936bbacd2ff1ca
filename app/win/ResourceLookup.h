#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace QrApp {

// The bytes of one resource, mapped for the life of the module; null when there is none.
struct ResourceData {
  const void* bytes = nullptr;
  std::size_t size = 0;
  explicit operator bool() const { return bytes != nullptr; }
};

// The system's lookup of `type`/`name` in `language` (which may fall back to the neutral forms
// of the language).
ResourceData loadResource(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language);

// The languages `type`/`name` exists in, in the module's order.
std::vector<WORD> resourceLanguages(HMODULE module, const wchar_t* type, const wchar_t* name);

bool hasResourceLanguage(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language);

}  // namespace QrApp
