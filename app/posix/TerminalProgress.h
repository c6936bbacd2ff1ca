#pragma once

#include <string>

namespace QrApp {

// What the progress dialog writes for each state. On a terminal one line is rewritten in place;
// otherwise (a pipe, a file, a screen reader reading the output) a plain line is written for
// each new status text and each further step of 10 %, and never a control character.
class ProgressRenderer {
 public:
  explicit ProgressRenderer(bool inPlace) : inPlace_(inPlace) {}

  // The output for the current status text and percentage; empty when nothing is to be written.
  std::string update(const std::wstring& status, unsigned percent);
  // Ends the line rewritten in place before other output; the next update starts a new one.
  std::string endLine();

 private:
  bool inPlace_;
  bool lineOpen_ = false;
  bool shown_ = false;
  std::wstring status_;
  unsigned percent_ = 0;
};

}  // namespace QrApp
