#pragma once

#include <windows.h>

namespace QrApp {

// Gives the dialog's window class the program's icon (icon group 135).
void setProgramIcon(HWND dialog);

}  // namespace QrApp
