#include "qrcom/port/PortTrace.h"

#include <mutex>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/TraceLog.h"
#include "qrcom/port/TracingPort.h"

namespace QrCom {

namespace {

// Notes every protocol pause in the trace, then pauses with the clock it replaced.
class PauseNotingClock : public Clock {
 public:
  PauseNotingClock(Clock& clock, std::shared_ptr<TraceLog> log)
      : clock_(clock), log_(std::move(log)) {}
  void sleep(uint32_t milliseconds) override {
    log_->notePause(milliseconds);
    clock_.sleep(milliseconds);
  }
  uint32_t tick() override { return clock_.tick(); }
  CalendarTime localTime() override { return clock_.localTime(); }

 private:
  Clock& clock_;
  std::shared_ptr<TraceLog> log_;
};

struct ActiveTrace {
  std::shared_ptr<TraceLog> log;
  std::unique_ptr<PauseNotingClock> clock;
  Clock* replaced = nullptr;
};

std::mutex traceMutex;
ActiveTrace active;

std::shared_ptr<TraceLog> activeLog() {
  std::lock_guard<std::mutex> guard(traceMutex);
  return active.log;
}

}  // namespace

void startPortTrace(const std::wstring& path) {
  stopPortTrace();
  auto log = std::make_shared<TraceLog>(path);
  std::lock_guard<std::mutex> guard(traceMutex);
  active.log = log;
  active.clock = std::make_unique<PauseNotingClock>(clock(), log);
  active.replaced = installClock(active.clock.get());
}

void stopPortTrace() {
  std::lock_guard<std::mutex> guard(traceMutex);
  if (!active.log) return;
  installClock(active.replaced);
  active.log->close();
  active = ActiveTrace{};
}

std::unique_ptr<SerialPort> openTraced(const std::function<std::unique_ptr<SerialPort>()>& open,
                                       const std::function<std::wstring()>& name) {
  const std::shared_ptr<TraceLog> log = activeLog();
  if (!log) return open();
  try {
    return std::make_unique<TracingPort>(open(), name(), log);
  } catch (const QrException& refusal) {
    log->note(name(), "refused", toUtf8(refusal.getMessage()));
    throw;
  }
}

}  // namespace QrCom
