#pragma once

#include <string>

namespace QrApp {

// The firmware folder named by the Windows program's command line: the whole line, not split,
// cut to 260 characters. Windows and shortcuts quote a path with blanks, so one pair of quotes
// around the whole line is not part of the folder.
std::wstring folderFromCommandLine(const std::wstring& commandLine);

}  // namespace QrApp
