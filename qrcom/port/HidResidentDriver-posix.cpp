#include "qrcom/port/HidPort.h"

namespace QrCom {

// Linux has no resident display driver that would hold a hidraw device and answer a request to
// let go: a held device stays refused.
void HidPort::releaseResidentDriver() {}

void HidPort::resumeResidentDriver() {}

void HidPort::resumeResidentDriverWithoutPause() {}

}  // namespace QrCom
