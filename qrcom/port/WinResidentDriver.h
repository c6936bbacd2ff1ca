#pragma once

#include "qrcom/base/QrSync.h"

namespace QrCom {

// A screen reader's resident display driver may hold the display's port. A port that finds its
// port in use asks the driver, by window messages, to let go, and asks it to take the port again
// when it is done. What findResidentDriver found is recorded process-wide; the probe threads of
// a search do this in parallel, so each find-and-send sequence holds residentDriverLock().
// Pauses belong to the callers.

QrMutex& residentDriverLock();

// Looks for the maker's display server ("Quorlin_Server") and then for the "WEBRAILLE32"
// driver, and records the one found. False when there is none (or the display server's message
// can't be registered).
bool findResidentDriver();
// The COM port the recorded driver uses: 0 when it uses none, -1 for a driver of unknown kind.
int askResidentDriverPort();
void sendResidentDriverRelease();
void sendResidentDriverResume();

// 750 ms, then the recorded driver is asked to take its port again.
void resumeResidentDriver();
// The same request at once, for the failures while a port is being set up.
void resumeResidentDriverWithoutPause();

}  // namespace QrCom
