#pragma once

#include <cstdint>

namespace QrApp {

// The user-interface language of a Linux session: German when the first of LC_ALL,
// LC_MESSAGES and LANG that is set (and not empty, as the C library reads them) begins with
// "de", English otherwise.
uint16_t languageForLocale(const char* lcAll, const char* lcMessages, const char* lang);
uint16_t languageFromEnvironment();

}  // namespace QrApp
