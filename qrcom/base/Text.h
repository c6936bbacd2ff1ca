#pragma once

#include <string>
#include <string_view>

namespace QrCom {

// Device file names travel as bytes of the active ANSI code page: the system's on Windows,
// code page 1252 on Linux (what a German or English Windows uses), so a display sees the same
// bytes from both. Characters the code page lacks become '?'.
std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view bytes);

}  // namespace QrCom
