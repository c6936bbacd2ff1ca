#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/FileSystem.h"

namespace QrApp {

// The files of `folder` whose names match `pattern` ("*.QSF", "demo.*", or a plain name), with
// case-insensitive matching, in the order of listFiles; empty when the folder does not exist.
std::vector<FoundFile> findFiles(const std::wstring& folder, const std::wstring& pattern);

// The first file findFiles returns, if any: for a plain name, the file of that name in
// whatever case it is written.
std::optional<FoundFile> findFirstFile(const std::wstring& folder, const std::wstring& pattern);

}  // namespace QrApp
