#pragma once

#include <optional>
#include <string>

namespace QrApp {

// The shell's folder browser titled with string 154, opened at `initial` when given. The chosen
// file-system folder, or nothing when the user cancels.
std::optional<std::wstring> chooseFirmwareFolder(const std::optional<std::wstring>& initial);

}  // namespace QrApp
