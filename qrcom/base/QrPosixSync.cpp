#include "qrcom/base/QrPosixSync.h"

#include <chrono>

namespace QrCom {

void QrPosixMutex::lock() {
  mutex_.lock();
}
void QrPosixMutex::unlock() {
  mutex_.unlock();
}

void QrPosixEvent::reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  signalled_ = false;
}

void QrPosixEvent::set() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    signalled_ = true;
  }
  changed_.notify_all();
}

void QrPosixEvent::wait() {
  std::unique_lock<std::mutex> guard(mutex_);
  changed_.wait(guard, [this] { return signalled_; });
}

bool QrPosixEvent::wait(uint32_t milliseconds) {
  std::unique_lock<std::mutex> guard(mutex_);
  return changed_.wait_for(guard, std::chrono::milliseconds(milliseconds),
                           [this] { return signalled_; });
}

}  // namespace QrCom
