#include "tests/support/VirtualClock.h"

namespace QrTest {

void VirtualClock::sleep(uint32_t milliseconds) {
  std::lock_guard<std::mutex> guard(mutex_);
  pauses_.push_back(milliseconds);
  now_ += milliseconds;
}

uint32_t VirtualClock::tick() {
  std::lock_guard<std::mutex> guard(mutex_);
  return static_cast<uint32_t>(now_);
}

QrCom::CalendarTime VirtualClock::localTime() {
  std::lock_guard<std::mutex> guard(mutex_);
  return localTime_;
}

void VirtualClock::advance(uint32_t milliseconds) {
  std::lock_guard<std::mutex> guard(mutex_);
  now_ += milliseconds;
}

void VirtualClock::setLocalTime(const QrCom::CalendarTime& time) {
  std::lock_guard<std::mutex> guard(mutex_);
  localTime_ = time;
}

std::vector<uint32_t> VirtualClock::pauses() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return pauses_;
}

uint64_t VirtualClock::now() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return now_;
}

}  // namespace QrTest
