#include "app/posix/TerminalTexts.h"

#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"

namespace QrApp {

namespace {

struct Entry {
  const wchar_t* english;
  const wchar_t* german;
};

constexpr Entry kTexts[] = {
#define QR_TERMINAL_TEXT(name, english, german) {L##english, L##german},
#include "resources/terminal-texts.def"
#undef QR_TERMINAL_TEXT
};

}  // namespace

std::wstring terminalText(TerminalText text, uint16_t language) {
  const Entry& entry = kTexts[static_cast<std::size_t>(text)];
  return language == kLanguageGerman ? entry.german : entry.english;
}

std::wstring ttyPortText(const std::wstring& path, uint16_t language) {
  return formatText(terminalText(TerminalText::kTxtAtPath, language), {path});
}

}  // namespace QrApp
