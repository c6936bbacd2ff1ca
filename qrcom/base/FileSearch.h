#pragma once

#include <optional>
#include <string>

namespace QrCom {

// The path of the file-system entry named `path`, found the way the platform's file search
// finds it (no file is opened): on Windows the letter case of names does not matter, and on
// Linux it does not either, so that a package named in one case finds its files named in
// another, as on Windows. None when there is no such entry. Never throws.
std::optional<std::wstring> findFile(const std::wstring& path);

}  // namespace QrCom
