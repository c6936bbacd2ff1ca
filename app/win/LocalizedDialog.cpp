#include "app/win/LocalizedDialog.h"

#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"
#include "app/win/ResourceLookup.h"

namespace QrApp {

const DLGTEMPLATE* loadLocalizedDialog(uint16_t templateId, uint16_t language) {
  const auto module = static_cast<HMODULE>(uiLanguage().module);
  const wchar_t* name = MAKEINTRESOURCEW(templateId);
  ResourceData found = loadResource(module, RT_DIALOG, name, language);
  if (!found) {
    for (WORD candidate : resourceLanguages(module, RT_DIALOG, name)) {
      if (PRIMARYLANGID(candidate) == PRIMARYLANGID(language)) {
        found = loadResource(module, RT_DIALOG, name, candidate);
        break;
      }
    }
  }
  if (!found) found = loadResource(module, RT_DIALOG, name, PRIMARYLANGID(language));
  if (!found) found = loadResource(module, RT_DIALOG, name, kLanguageEnglish);
  return static_cast<const DLGTEMPLATE*>(found.bytes);
}

}  // namespace QrApp
