#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace QrCom {

// The device name a file is stored under: `target` without its leading tabs and blanks, in the
// ANSI code page, at most `limit` characters and bytes. Fails with IllegalSourceFileNameException
// (`prefix` + `emptySourceText`) for an empty source path and IllegalTargetFileNameException for
// an empty or too long target name.
std::string prepareTargetName(const std::wstring& source, const std::wstring& target,
                              std::wstring_view prefix, size_t limit,
                              std::wstring_view emptySourceText);

}  // namespace QrCom
