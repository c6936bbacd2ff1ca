#pragma once

#include <windows.h>

#include <cstdint>

namespace QrApp {

// The dialog template `templateId` of the program's resources for `language`: that language,
// else the first of the template's languages with the same primary language, else the primary
// language alone, else English. Null when the template exists in none of them.
const DLGTEMPLATE* loadLocalizedDialog(uint16_t templateId, uint16_t language);

}  // namespace QrApp
