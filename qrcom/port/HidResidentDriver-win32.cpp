#include "qrcom/base/Clock.h"
#include "qrcom/port/HidPort.h"
#include "qrcom/port/WinResidentDriver.h"

namespace QrCom {

namespace {
constexpr uint32_t kReleasePause = 1500;
}  // namespace

// A driver that serves a COM port is not the one holding the USB link: only one that serves
// none (port 0) is asked to let go.
void HidPort::releaseResidentDriver() {
  {
    QrLock guard(residentDriverLock());
    if (!findResidentDriver()) return;
    if (askResidentDriverPort() != 0) return;
    sendResidentDriverRelease();
  }
  clock().sleep(kReleasePause);
}

void HidPort::resumeResidentDriver() {
  QrCom::resumeResidentDriver();
}

void HidPort::resumeResidentDriverWithoutPause() {
  QrCom::resumeResidentDriverWithoutPause();
}

}  // namespace QrCom
