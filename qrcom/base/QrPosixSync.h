#pragma once

#include <condition_variable>
#include <mutex>

#include "qrcom/base/QrSync.h"

namespace QrCom {

class QrPosixMutex : public QrMutex {
 public:
  void lock() override;
  void unlock() override;

 private:
  std::recursive_mutex mutex_;
};

class QrPosixEvent : public QrEvent {
 public:
  void reset() override;
  void set() override;
  void wait() override;
  bool wait(uint32_t milliseconds) override;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace QrCom
