#include "tests/support/VirtualClock.h"

namespace QrTest {

void VirtualClock::sleep(uint32_t milliseconds) {
  std::lock_guard<std::mutex> guard(mutex_);
  pauses_.push_back(milliseconds);
  now_ += milliseconds;
}

QrCom::CalendarTime VirtualClock::localTime() {
  std::lock_guard<std::mutex> guard(mutex_);
  return localTime_;
}

void VirtualClock::setLocalTime(const QrCom::CalendarTime& time) {
  std::lock_guard<std::mutex> guard(mutex_);
  localTime_ = time;
}

std::vector<uint32_t> VirtualClock::pauses() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return pauses_;
}

}  // namespace QrTest
