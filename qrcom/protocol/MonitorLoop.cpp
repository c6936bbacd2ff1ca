#include "qrcom/protocol/MonitorLoop.h"

#include "qrcom/device/QuorlinDevice.h"

namespace QrCom {

namespace {
constexpr uint32_t kStopStepMs = 100;
}  // namespace

bool MonitorLoop::goesOn(const QuorlinDevice* device) const {
  return running && (device == nullptr || device->isMonitorModeRequested());
}

void MonitorLoop::stop() {
  // Reset before looking at `looping`: a loop that ends from here on signals afresh, and one
  // that ended before has cleared `looping` already.
  ended_.reset();
  running = false;
  if (owner_.load() == std::this_thread::get_id()) return;
  while (looping && !ended_.wait(kStopStepMs)) running = false;
}

MonitorLoop::Scope::Scope(MonitorLoop& loop) : loop_(loop) {
  loop_.owner_ = std::this_thread::get_id();
  loop_.looping = true;
}

MonitorLoop::Scope::~Scope() {
  loop_.owner_ = std::thread::id();
  loop_.looping = false;
  loop_.ended_.set();
}

}  // namespace QrCom
