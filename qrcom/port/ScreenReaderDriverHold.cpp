#include "qrcom/base/Clock.h"
#include "qrcom/port/ScreenReaderDriver.h"

namespace QrCom {

bool ScreenReaderDriverHold::suspend(uint32_t pauseMs) {
  if (asked_) return suspended_;
  asked_ = true;
  suspended_ = suspendScreenReaderDriver();
  if (suspended_) clock().sleep(pauseMs);
  return suspended_;
}

void ScreenReaderDriverHold::resume(uint32_t pauseMs) {
  if (!suspended_) return;
  suspended_ = false;
  if (pauseMs > 0) clock().sleep(pauseMs);
  resumeScreenReaderDriver();
}

}  // namespace QrCom
