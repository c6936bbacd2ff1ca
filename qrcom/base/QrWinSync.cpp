#include "qrcom/base/QrWinSync.h"

namespace QrCom {

QrWinMutex::QrWinMutex() {
  InitializeCriticalSection(&section_);
}
void QrWinMutex::lock() {
  EnterCriticalSection(&section_);
}
void QrWinMutex::unlock() {
  LeaveCriticalSection(&section_);
}
QrWinMutex::~QrWinMutex() {
  DeleteCriticalSection(&section_);
}

QrWinEvent::QrWinEvent() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
void QrWinEvent::reset() {
  ResetEvent(handle_);
}
void QrWinEvent::set() {
  SetEvent(handle_);
}
void QrWinEvent::wait() {
  WaitForSingleObject(handle_, INFINITE);
}
QrWinEvent::~QrWinEvent() {
  CloseHandle(handle_);
}

bool QrWinEvent::wait(uint32_t milliseconds) {
  return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0;
}

}  // namespace QrCom
