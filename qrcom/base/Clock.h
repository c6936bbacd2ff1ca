#pragma once

#include <cstdint>

#include "qrcom/base/CalendarTime.h"

namespace QrCom {

// The one seam for time. Every protocol pause, every millisecond tick and every software
// time-out goes through the installed clock, so tests can replace real time with a virtual one.
// A serial port's own read time-outs are the line's (termios or the COM port's time-outs).
class Clock {
 public:
  virtual ~Clock() = default;
  // A protocol pause: the devices rely on it, so production code never shortens it.
  virtual void sleep(uint32_t milliseconds) = 0;
  // Milliseconds since an arbitrary start; wraps around like the platform's tick counter.
  virtual uint32_t tick() = 0;
  virtual CalendarTime localTime() = 0;
};

// The real clock: sleeps for real and reads the system's time.
class RealClock : public Clock {
 public:
  void sleep(uint32_t milliseconds) override;
  uint32_t tick() override;
  CalendarTime localTime() override;
};

// The installed clock (the real one unless a test installed another).
Clock& clock();

// Installs `replacement` (nullptr restores the real clock) and returns the previous one. Tests
// and a port trace (which notes the pauses) call this, before any thread that uses the clock
// starts.
Clock* installClock(Clock* replacement);

}  // namespace QrCom
