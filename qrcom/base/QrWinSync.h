#pragma once

#include <windows.h>

#include "qrcom/base/QrSync.h"

namespace QrCom {

class QrWinMutex : public QrMutex {
 public:
  QrWinMutex();
  QrWinMutex(const QrWinMutex&) = delete;
  QrWinMutex& operator=(const QrWinMutex&) = delete;
  void lock() override;
  void unlock() override;
  ~QrWinMutex() override;

 private:
  CRITICAL_SECTION section_;
};

class QrWinEvent : public QrEvent {
 public:
  QrWinEvent();
  QrWinEvent(const QrWinEvent&) = delete;
  QrWinEvent& operator=(const QrWinEvent&) = delete;
  void reset() override;
  void set() override;
  void wait() override;
  ~QrWinEvent() override;
  bool wait(uint32_t milliseconds) override;
  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace QrCom
