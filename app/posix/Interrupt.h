#pragma once

namespace QrApp {

// Catches Ctrl+C (SIGINT) while it lives: instead of ending the program, each signal makes
// descriptor() readable. The previous handling comes back on destruction. One at a time.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  int descriptor() const { return pipe_[0]; }
  // Empties the pipe after the signal has been handled.
  void drain();

 private:
  int pipe_[2] = {-1, -1};
};

}  // namespace QrApp
