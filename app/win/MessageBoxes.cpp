#include "app/win/MessageBoxes.h"

#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"

namespace QrApp {

int showMessageBox(HWND owner, const std::wstring& text, UINT flags) {
  const UiLanguage& language = uiLanguage();
  const std::wstring caption =
      loadLocalizedString(kStrCaption, language.languageId, kCaptionLength);
  if (language.rightToLeft) flags |= MB_RTLREADING;
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

}  // namespace QrApp
