#pragma once

#include <cstdint>

#include "app/LocalizedStrings.h"

namespace QrApp {

// The process-wide user-interface settings, written once by the entry point before any other
// thread starts and only read afterwards.
struct UiLanguage {
  void* module = nullptr;  // the program's resource module on Windows (its HINSTANCE)
  uint16_t languageId = kLanguageEnglish;
  bool rightToLeft = false;  // message boxes add right-to-left reading when set
};

UiLanguage& uiLanguage();

// German for every sub-language of German (primary language 7 in the low 10 bits of a Windows
// language id), English for everything else.
uint16_t languageForSystemLanguageId(uint16_t systemLanguageId);

}  // namespace QrApp
