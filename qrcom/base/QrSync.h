#pragma once

#include <cstdint>

namespace QrCom {

// Both interfaces keep their virtual functions in a fixed slot order (the destructor included):
// do not reorder them.

// A recursive, in-process lock: the thread that holds it may lock it again.
class QrMutex {
 public:
  virtual void lock() = 0;
  virtual void unlock() = 0;
  virtual ~QrMutex() = default;
};

// A manual-reset event: once set it stays set for every waiter until reset.
class QrEvent {
 public:
  virtual void reset() = 0;
  virtual void set() = 0;
  virtual void wait() = 0;
  virtual ~QrEvent() = default;
  // Waits at most `milliseconds`; true when the event was set, false on time-out.
  virtual bool wait(uint32_t milliseconds) = 0;
};

// Holds a QrMutex for one scope.
class QrLock {
 public:
  explicit QrLock(QrMutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~QrLock() { mutex_.unlock(); }
  QrLock(const QrLock&) = delete;
  QrLock& operator=(const QrLock&) = delete;

 private:
  QrMutex& mutex_;
};

}  // namespace QrCom
