#pragma once

#include <functional>
#include <string>

namespace QrEmu {

// A FIFO that other programs (a test under Wine, a shell) write command lines into. It holds a
// writing end itself so that it never sees the end of input.
class ControlFifo {
 public:
  explicit ControlFifo(std::string path);  // throws std::system_error
  ~ControlFifo();
  ControlFifo(const ControlFifo&) = delete;
  ControlFifo& operator=(const ControlFifo&) = delete;

  int descriptor() const { return reader_; }
  // Reads what has arrived and calls `onLine` for every complete line.
  void readLines(const std::function<void(const std::string&)>& onLine);

 private:
  void release();

  std::string path_;
  int reader_ = -1;
  int writer_ = -1;
  std::string pending_;
};

}  // namespace QrEmu
