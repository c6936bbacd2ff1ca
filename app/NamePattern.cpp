#include "app/NamePattern.h"

namespace QrApp {

namespace {

wchar_t upper(wchar_t character) {
  if (character >= L'a' && character <= L'z') return character - L'a' + L'A';
  // Latin-1 small letters à-þ except the division sign; ÿ has its capital elsewhere.
  if (character >= 0xE0 && character <= 0xFE && character != 0xF7) return character - 0x20;
  if (character == 0xFF) return 0x178;
  return character;
}

bool matchesFrom(std::wstring_view name, std::wstring_view pattern) {
  // Iterative wildcard matching: remember the last '*' and retry from one character further.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t star = std::wstring_view::npos;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == L'?' || upper(pattern[p]) == upper(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::wstring_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

}  // namespace

bool matchesPattern(std::wstring_view name, std::wstring_view pattern) {
  if (matchesFrom(name, pattern)) return true;
  const bool endsWithDotStar = pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == L".*";
  return endsWithDotStar && name.find(L'.') == std::wstring_view::npos &&
         matchesFrom(name, pattern.substr(0, pattern.size() - 2));
}

bool sameName(std::wstring_view left, std::wstring_view right) {
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (upper(left[i]) != upper(right[i])) return false;
  }
  return true;
}

int compareNames(std::wstring_view left, std::wstring_view right) {
  const std::size_t common = left.size() < right.size() ? left.size() : right.size();
  for (std::size_t i = 0; i < common; ++i) {
    const wchar_t a = upper(left[i]);
    const wchar_t b = upper(right[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  if (left.size() != right.size()) return left.size() < right.size() ? -1 : 1;
  return left.compare(right);
}

}  // namespace QrApp
