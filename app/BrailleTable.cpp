#include "app/BrailleTable.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/BrailleTableFormat.h"
#include "qrcom/base/NativeFile.h"

namespace QrApp {

namespace {

enum class Format { None, Asc, Jbt };

// Both separators count on both platforms: Windows accepts either.
std::size_t nameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? 0 : separator + 1;
}

bool equalsIgnoringAsciiCase(std::wstring_view text, std::wstring_view lowerCase) {
  if (text.size() != lowerCase.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t character = text[i];
    if (character >= L'A' && character <= L'Z') character = character - L'A' + L'a';
    if (character != lowerCase[i]) return false;
  }
  return true;
}

Format formatOf(const std::wstring& path) {
  const std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return Format::None;
  const std::wstring_view extension = std::wstring_view(path).substr(dot);
  if (equalsIgnoringAsciiCase(extension, L".asc")) return Format::Asc;
  if (equalsIgnoringAsciiCase(extension, L".jbt")) return Format::Jbt;
  return Format::None;
}

std::string readAll(const std::wstring& path) {
  QrCom::NativeFile file(path, QrCom::kFileRead);
  std::string content;
  uint8_t chunk[4096];
  for (;;) {
    const int32_t count = file.readBuffer(chunk, sizeof chunk);
    if (count <= 0) break;
    content.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(count));
  }
  return content;
}

}  // namespace

BrailleTable::BrailleTable(const std::wstring& path) {
  const std::size_t start = nameStart(path);
  const std::size_t dot = path.rfind(L'.');
  const std::size_t end = dot != std::wstring::npos && dot >= start ? dot : path.size();
  name_ = path.substr(start, std::min(end - start, kMaxName));

  const Format format = formatOf(path);
  if (format == Format::None) return;
  const std::string content = readAll(path);
  searchBackwards_ = content.find("{SearchBackwards}") != std::string::npos;
  if (format == Format::Asc) {
    parseAscTable(content, dots_);
  } else {
    parseJbtTable(content, dots_);
  }
}

}  // namespace QrApp
