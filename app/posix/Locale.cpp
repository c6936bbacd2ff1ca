#include "app/posix/Locale.h"

#include <cstdlib>
#include <cstring>

#include "app/LocalizedStrings.h"

namespace QrApp {

uint16_t languageForLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value == nullptr || *value == '\0') continue;
    return std::strncmp(value, "de", 2) == 0 ? kLanguageGerman : kLanguageEnglish;
  }
  return kLanguageEnglish;
}

uint16_t languageFromEnvironment() {
  return languageForLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

}  // namespace QrApp
