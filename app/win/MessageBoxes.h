#pragma once

#include <windows.h>

#include <string>

namespace QrApp {

// A message box in the user-interface language: the caption is string 103, and the
// right-to-left reading flag is added when the language record asks for it. Returns the button
// the user chose (IDOK, IDYES, ...).
int showMessageBox(HWND owner, const std::wstring& text, UINT flags);

}  // namespace QrApp
