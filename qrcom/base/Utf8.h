#pragma once

#include <string>
#include <string_view>

namespace QrCom {

// Wide text (UTF-16 on Windows, UTF-32 elsewhere) to and from UTF-8, for file-system paths and
// terminal output on Linux. Invalid sequences become U+FFFD.
std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);

}  // namespace QrCom
