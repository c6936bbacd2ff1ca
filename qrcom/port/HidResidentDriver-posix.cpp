#include "qrcom/port/HidPort.h"

namespace QrCom {

namespace {

// As long as the Windows driver gets to let go of the USB link, and to wait before resuming.
constexpr uint32_t kReleasePause = 1500;
constexpr uint32_t kResumePause = 750;

}  // namespace

void HidPort::releaseResidentDriver() {
  screenReader_.suspend(kReleasePause);
}

void HidPort::resumeResidentDriver() {
  screenReader_.resume(kResumePause);
}

void HidPort::resumeResidentDriverWithoutPause() {
  screenReader_.resume(0);
}

}  // namespace QrCom
