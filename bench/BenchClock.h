// What the upload benchmarks measure time with: the real clock, with the protocol's own pauses
// added up, and the processor time a thread or the whole process has used.
#pragma once

#include <time.h>

#include <atomic>
#include <cstdint>

#include "qrcom/base/Clock.h"

namespace QrBench {

// The real clock, adding up the pauses it is asked for.
class PauseCountingClock : public QrCom::Clock {
 public:
  void sleep(uint32_t milliseconds) override {
    paused_ += milliseconds;
    real_.sleep(milliseconds);
  }
  uint32_t tick() override { return real_.tick(); }
  QrCom::CalendarTime localTime() override { return real_.localTime(); }
  uint64_t paused() const { return paused_; }

 private:
  QrCom::RealClock real_;
  std::atomic<uint64_t> paused_{0};
};

// CLOCK_THREAD_CPUTIME_ID or CLOCK_PROCESS_CPUTIME_ID, in seconds.
inline double cpuSeconds(clockid_t which) {
  timespec now{};
  clock_gettime(which, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace QrBench
