#pragma once

#include <string_view>

namespace QrApp {

// File names compared as a Windows file system does, so that a package copied from Windows
// finds the same files on Linux: letters match regardless of case (ASCII and Latin-1), and
// the order is that of the upper-cased names.

// `pattern` may hold '*' (any run of characters) and '?' (one character). A trailing ".*" also
// matches a name without a dot ("demo.*" finds "demo"), as on Windows.
bool matchesPattern(std::wstring_view name, std::wstring_view pattern);

// True when the names differ at most in the case of their letters ("CONFIG.QSF", "config.qsf").
bool sameName(std::wstring_view left, std::wstring_view right);

// Negative, zero or positive like a comparison of the upper-cased names; names that differ
// only in case are ordered by their characters, so the order is total.
int compareNames(std::wstring_view left, std::wstring_view right);

}  // namespace QrApp
