#pragma once

#include <cstdint>
#include <string>

namespace QrApp {

// The texts of the terminal user interface (resources/terminal-texts.def).
enum class TerminalText {
#define QR_TERMINAL_TEXT(name, english, german) name,
#include "resources/terminal-texts.def"
#undef QR_TERMINAL_TEXT
};

// The text in `language`: German for 1031, English otherwise.
std::wstring terminalText(TerminalText text, uint16_t language);

// A display on a tty: "at /dev/ttyUSB0".
std::wstring ttyPortText(const std::wstring& path, uint16_t language);

}  // namespace QrApp
