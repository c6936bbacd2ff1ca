#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "emulator/Display.h"

namespace QrEmu {

struct LinkOptions {
  // A symbolic link to the tty, made when the link opens and removed when it closes.
  std::string symlink;
  // Pace the bytes in both directions as a real line would: 11 bits a byte (start, 8 data,
  // parity, stop) at the rate the host set on the tty.
  bool lineRate = false;
  // For Windows programs under Wine only: clear the odd/mark bit a pty keeps of the host's
  // parity request once the host has set up. Wine passes the C library's refusal of the next,
  // identical request on to SetCommState, which a real Windows serial driver never refuses.
  bool resetParity = false;
};

// One display on the master side of a pseudo-terminal: the host opens path() like a serial
// port. The link keeps a descriptor of the tty itself so that the pty lives while the host
// closes and reopens it, and learns from the pty's packet mode whenever the host changes the
// line settings. The busy fault takes an exclusive lock on the tty (flock) and points the
// symbolic link at a file nobody may open for writing, so that a host opening the port, Wine
// included, is refused as when another program holds it. Unplugging closes the pty; plugging
// back in opens a new one (the symbolic link follows). The link never touches the settings the
// host made, unless resetParity asks for it. Served by PtyServer.
class PtyLink {
 public:
  PtyLink(Display& display, LinkOptions options);  // throws std::system_error
  ~PtyLink();
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // The tty; empty while unplugged. May be called from any thread.
  std::string path() const;
  Display& display() { return display_; }

  // For the server's poll: the master descriptor (-1 while unplugged) and its events.
  int descriptor() const { return master_; }
  short events() const;
  // Moves the bytes that are due; returns the microseconds until it needs to run again, or
  // -1 when only new input can give it work.
  int service(short revents);

 private:
  using Clock = std::chrono::steady_clock;
  struct Timed {
    uint8_t byte;
    Clock::time_point at;
  };

  void open();
  void close();
  void pointLink(const std::string& target);
  void holdBusy(bool busy);
  void hostSetUpLine();
  void clearParity();
  void readHost(Clock::time_point now);
  void feedDisplay(Clock::time_point now);
  void writeHost(Clock::time_point now);
  Clock::duration byteTime() const;

  Display& display_;
  LinkOptions options_;
  int master_ = -1;
  int slave_ = -1;
  mutable std::mutex pathMutex_;
  std::string path_;
  bool busyHeld_ = false;
  bool blocked_ = false;                    // the tty's input queue was full at the last write
  std::optional<std::string> ownSettings_;  // what the link itself last wrote to the tty
  std::deque<Timed> input_;
  std::deque<uint8_t> output_;
  Clock::time_point lineFreeAt_{};
};

}  // namespace QrEmu
