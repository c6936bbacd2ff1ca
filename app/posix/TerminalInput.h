#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace QrApp {

// Answer lines from a terminal or a pipe, read only when poll reports data, so that the
// progress dialog can wait for input, worker updates and Ctrl+C at once.
class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 4096;  // longer lines are cut

  explicit LineReader(int descriptor) : descriptor_(descriptor) {}

  int descriptor() const { return descriptor_; }
  // The next complete line without its line end ("\n" or "\r\n"); at the end of the input the
  // unterminated rest counts as a line.
  std::optional<std::string> takeLine();
  // Reads what the descriptor holds; call it when it is readable (one read never blocks then).
  void readAvailable();
  // The input has ended and every line has been taken.
  bool exhausted() const { return ended_ && buffer_.empty(); }

 private:
  int descriptor_;
  std::string buffer_;
  bool ended_ = false;
  std::size_t lineLength_ = 0;  // of the unterminated line at the end of buffer_
};

// Blocks until one of `descriptors` is readable or hung up; returns its index.
std::size_t waitForInput(const std::vector<int>& descriptors);

// Writes all of `bytes`, through interrupting signals; gives up when nobody reads any more (the
// update goes on regardless).
void writeFully(int descriptor, const std::string& bytes);

}  // namespace QrApp
