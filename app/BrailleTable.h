#pragma once

#include <cstdint>
#include <string>

namespace QrApp {

// A Braille table file of a firmware package: the name, the dot pattern of each of the 256
// character codes (bit n - 1 is dot n) and the search-backwards flag the display stores with
// it. ".asc" files list the patterns by position, ".jbt" files by character; the extension
// decides, in any case. Any other extension reads nothing and leaves every pattern 0.
class BrailleTable {
 public:
  static constexpr std::size_t kMaxName = 260;

  // Reads the file; a file that cannot be opened or read throws the file exception of
  // NativeFile.
  explicit BrailleTable(const std::wstring& path);
  virtual ~BrailleTable() = default;

  bool searchBackwards() const { return searchBackwards_; }
  const std::wstring& name() const { return name_; }
  // In the form the device's receiveBrailleTable takes.
  const uint8_t (&dots() const)[256] { return dots_; }

 private:
  bool searchBackwards_ = false;
  std::wstring name_;
  uint8_t dots_[256] = {};
};

}  // namespace QrApp
