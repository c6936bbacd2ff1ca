#pragma once

#include <atomic>
#include <thread>

#include "qrcom/base/NativeSync.h"

namespace QrCom {

class QuorlinDevice;

// What a monitor receive loop shares with the threads that end it: the loop runs while
// `running` is set and signals `ended` on every way out, so a stop never waits for a loop
// that is gone.
class MonitorLoop {
 public:
  // Set while a receive loop runs.
  std::atomic<bool> looping{false};
  // Cleared by the stopping threads; read by the loop on every pass.
  std::atomic<bool> running{false};
  // Held by a receive loop from start to end, so a second one waits for the first.
  NativeMutex mutex;

  // Whether the loop goes on: `running` is set and the device (if any) still wants monitor
  // mode. The device drops its sink when monitor mode is stopped, so a loop that got going just
  // after a stop had found nothing to stop ends after its next pass.
  bool goesOn(const QuorlinDevice* device) const;

  // Clears `running` and waits until the loop has ended, clearing it again after every 100 ms
  // without an end (a loop that was still starting may have set it anew). Returns at once when
  // no loop runs, and when called by the loop itself (from a sink).
  void stop();

  // Marks a loop as running until the scope ends; then it signals the end. Declared after the
  // lock of `mutex`, so the end is signalled before the lock is given up.
  class Scope {
   public:
    explicit Scope(MonitorLoop& loop);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    MonitorLoop& loop_;
  };

 private:
  NativeEvent ended_;
  std::atomic<std::thread::id> owner_{};
};

}  // namespace QrCom
