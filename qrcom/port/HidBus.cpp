#include <atomic>

#include "qrcom/port/HidDevice.h"

namespace QrCom {

namespace {
std::atomic<HidBus*> installed{nullptr};
}  // namespace

HidBus& hidBus() {
  HidBus* bus = installed.load();
  return bus != nullptr ? *bus : systemHidBus();
}

HidBus* installHidBus(HidBus* replacement) {
  return installed.exchange(replacement);
}

}  // namespace QrCom
