#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace QrApp {

// Fills the placeholders of a string-table text: each "%s" or "%d" takes the next argument (the
// caller turns numbers into text), "%%" is one percent sign. Placeholders without an argument
// print nothing and surplus arguments are ignored, so a text that lacks a text in one language
// still prints as far as it can. Arguments are inserted as they are, never read as formats.
std::wstring formatText(std::wstring_view format,
                        std::initializer_list<std::wstring_view> arguments);

}  // namespace QrApp
