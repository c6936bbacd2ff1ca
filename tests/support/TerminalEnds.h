#pragma once

#include <string>

namespace QrTest {

// The far ends of a terminal UI's descriptors (Linux only): the test types into `keyboard()`
// and reads what the UI wrote from `screen()`; the UI gets input(), output() and errors().
class TerminalEnds {
 public:
  // A pseudo-terminal (input and output both the slave) or two pipes; errors go nowhere.
  static TerminalEnds pty() { return TerminalEnds(true); }
  static TerminalEnds pipes() { return TerminalEnds(false); }
  TerminalEnds(const TerminalEnds&) = delete;
  ~TerminalEnds();

  int uiInput() const { return input_; }
  int uiOutput() const { return output_; }
  int uiErrors() const { return errors_; }

  void type(const std::string& keys) const;
  // Ends the input: end of file on a pipe, Ctrl+D on a terminal.
  void endInput();
  // Waits (at most 5 s) until the UI's output contains `text`, then returns all of it so far.
  std::string waitForOutput(const std::string& text);
  // The reader of the output goes away.
  void closeOutput();
  // Everything written so far, without waiting.
  std::string output();

 private:
  explicit TerminalEnds(bool pty);

  bool isPty_ = false;
  int keyboard_ = -1;  // write end of the UI's input
  int screen_ = -1;    // read end of the UI's output
  int input_ = -1;
  int output_ = -1;
  int errors_ = -1;
  std::string collected_;
};

}  // namespace QrTest
