#pragma once

#include <string>

namespace QrCom {

// Whether the file system holds an entry named `path`, asked the way the platform's file
// search asks (no file is opened). Never throws.
bool fileExists(const std::wstring& path);

}  // namespace QrCom
