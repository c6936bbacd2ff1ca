#include "app/UiLanguage.h"

namespace QrApp {

UiLanguage& uiLanguage() {
  static UiLanguage record;
  return record;
}

uint16_t languageForSystemLanguageId(uint16_t systemLanguageId) {
  constexpr uint16_t kPrimaryLanguageMask = 0x3FF;
  constexpr uint16_t kPrimaryGerman = 7;
  return (systemLanguageId & kPrimaryLanguageMask) == kPrimaryGerman ? kLanguageGerman
                                                                     : kLanguageEnglish;
}

}  // namespace QrApp
