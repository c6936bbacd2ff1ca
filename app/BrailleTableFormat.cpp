#include "app/BrailleTableFormat.h"

#include <vector>

namespace QrApp {

namespace {

// The non-empty lines of `content`, without their line feeds.
std::vector<std::string_view> linesOf(std::string_view content) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    if (end > start) lines.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A run of the digits 1 to 8, each setting its dot; any other character ends it.
uint8_t dotsOf(std::string_view list) {
  uint8_t pattern = 0;
  for (char character : list) {
    if (character < '1' || character > '8') break;
    pattern |= static_cast<uint8_t>(1u << (character - '1'));
  }
  return pattern;
}

bool isDigit(char character) {
  return character >= '0' && character <= '9';
}

}  // namespace

void parseAscTable(std::string_view content, uint8_t (&dots)[256]) {
  const std::vector<std::string_view> lines = linesOf(content);
  // The first line is a header; the k-th line after it holds code k - 1.
  for (std::size_t code = 0; code < 256 && code + 1 < lines.size(); ++code) {
    dots[code] = dotsOf(lines[code + 1]);
  }
}

void parseJbtTable(std::string_view content, uint8_t (&dots)[256]) {
  for (std::string_view line : linesOf(content)) {
    line = line.substr(0, line.find(';'));  // the rest is a comment
    if (line.empty()) continue;
    if (line.find('[') != std::string_view::npos && line.find(']') != std::string_view::npos) {
      continue;  // section header
    }
    unsigned code = static_cast<uint8_t>(line[0]);
    if (line[0] == '\\' && line.size() > 1 && line[1] != '=') {
      // A decimal character code; a backslash without digits is malformed and skipped.
      if (!isDigit(line[1])) continue;
      code = 0;
      for (std::size_t i = 1; i < line.size() && isDigit(line[i]); ++i) {
        code = (code * 10 + static_cast<unsigned>(line[i] - '0')) & 0xFF;
      }
    }
    const std::size_t equals = line.find('=', 1);
    if (equals == std::string_view::npos) continue;
    dots[code] = dotsOf(line.substr(equals + 1));
  }
}

}  // namespace QrApp
