#include "app/win/DialogIcon.h"

#include "app/UiLanguage.h"
#include "resources/ResourceIds.h"

namespace QrApp {

void setProgramIcon(HWND dialog) {
  HICON icon =
      LoadIconW(static_cast<HMODULE>(uiLanguage().module), MAKEINTRESOURCEW(QR_IDI_PROGRAM));
  if (icon != nullptr) SetClassLongPtrW(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

}  // namespace QrApp
