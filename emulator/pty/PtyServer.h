#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <thread>
#include <vector>

#include "emulator/pty/PtyLink.h"

namespace QrEmu {

// Serves any number of PtyLinks from one poll loop, woken by the host's bytes, by the
// displays' answers coming due and by changes to a display (a fault set from a test thread).
class PtyServer {
 public:
  PtyServer();  // throws std::system_error
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Before run() or start().
  PtyLink& add(Display& display, LinkOptions options = {});
  // Calls `onReadable` whenever `descriptor` has input (before run() or start()).
  void watch(int descriptor, std::function<void()> onReadable);

  // Serves until stop().
  void run();
  // run() on a thread of its own, joined by stop() or the destructor.
  void start();
  // Ends run() soon; async-signal-safe, so a signal handler may call it.
  void requestStop();
  // requestStop(), then waits for the thread of start().
  void stop();

 private:
  void wake();

  struct Watched {
    int descriptor;
    std::function<void()> onReadable;
  };

  std::list<PtyLink> links_;
  std::vector<Watched> watched_;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace QrEmu
