#include "qrcom/base/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace QrCom {

namespace {
RealClock realClock;
std::atomic<Clock*> installed{&realClock};
}  // namespace

void RealClock::sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t RealClock::tick() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

Clock& clock() {
  return *installed.load();
}

Clock* installClock(Clock* replacement) {
  return installed.exchange(replacement ? replacement : &realClock);
}

}  // namespace QrCom
