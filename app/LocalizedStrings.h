#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace QrApp {

// User-interface languages (Windows language ids).
constexpr uint16_t kLanguageGerman = 1031;
constexpr uint16_t kLanguageEnglish = 1033;

// The ids of the program's string table (resources/strings.def).
enum StringId : uint16_t {
#define QR_STRING(id, name, english, german) name = id,
#include "resources/strings.def"
#undef QR_STRING
};

// Buffer lengths the texts are read with: captions and message 130, messages 147/148, other
// messages, the retry question, status lines.
constexpr std::size_t kCaptionLength = 100;
constexpr std::size_t kResultMessageLength = 200;
constexpr std::size_t kMessageLength = 300;
constexpr std::size_t kRetryQuestionLength = 500;
constexpr std::size_t kStatusLength = 100;

// The text of `id` in exactly `language`, cut to bufferLength - 1 characters as a read into a
// buffer of that length would; empty for an id or a language without a text.
std::wstring loadLocalizedString(uint16_t id, uint16_t language,
                                 std::size_t bufferLength = kMessageLength);

}  // namespace QrApp
