#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "qrcom/base/Clock.h"

namespace QrTest {

// A clock for tests: no real time passes. Protocol pauses are recorded in order; time spent
// waiting on a silent device (advance) moves the tick counter without counting as a pause.
class VirtualClock : public QrCom::Clock {
 public:
  void sleep(uint32_t milliseconds) override;
  uint32_t tick() override { return static_cast<uint32_t>(now_); }
  QrCom::CalendarTime localTime() override;

  void advance(uint32_t milliseconds) { now_ += milliseconds; }
  void setLocalTime(const QrCom::CalendarTime& time);
  std::vector<uint32_t> pauses() const;
  uint64_t now() const { return now_; }

 private:
  mutable std::mutex mutex_;
  std::atomic<uint64_t> now_{0};
  std::vector<uint32_t> pauses_;
  QrCom::CalendarTime localTime_{2024, 5, 1, 6, 7, 8, 9, 0};
};

// Installs a VirtualClock for the lifetime of the object.
class ScopedVirtualClock {
 public:
  ScopedVirtualClock() : previous_(QrCom::installClock(&clock_)) {}
  ~ScopedVirtualClock() { QrCom::installClock(previous_); }
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;
  VirtualClock& operator*() { return clock_; }
  VirtualClock* operator->() { return &clock_; }

 private:
  VirtualClock clock_;
  QrCom::Clock* previous_;
};

}  // namespace QrTest
