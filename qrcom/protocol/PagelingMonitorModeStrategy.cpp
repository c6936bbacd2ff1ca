#include "qrcom/protocol/PagelingMonitorModeStrategy.h"

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/MonitorLine.h"
#include "qrcom/protocol/PagelingProtocol.h"

namespace QrCom {

namespace {
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint32_t kReadFailurePauseMs = 200;
constexpr int kMonitorService = 1;
}  // namespace

void PagelingMonitorModeStrategy::startMonitorMode(SerialPort& port, MonitorSink* sink,
                                                   QuorlinDevice* device) {
  // A loop that was asked to stop but has not ended yet still counts as running.
  if (loop_.looping || loop_.running.exchange(true)) {
    throw MethodCollisionException(
        compose(L"PagelingMonitorModeStrategy::startMonitorMode -- ",
                L" Method is already active. It cannot be activated for a second time"));
  }
  MonitorLoop::Scope scope(loop_);
  // However the loop ends, it can be started again.
  struct Finish {
    MonitorLoop& loop;
    ~Finish() { loop.running = false; }
  } finish{loop_};
  Pageling::writeControl(port, Pageling::kMonitor);
  MonitorLine line;
  while (loop_.goesOn(device)) {
    uint8_t byte = 0;
    try {
      byte = port.readByte();
    } catch (const CannotReadFromPortException&) {
      // Nothing arrived; a link that fails at once must not make this loop spin.
      if (loop_.running) clock().sleep(kReadFailurePauseMs);
      continue;
    }
    if (byte == kAck || byte == kLineFeed) continue;
    if (byte != kCarriageReturn) {
      line.append(byte);
      continue;
    }
    if (sink != nullptr) sink->onDisplay(device, line.text(), 0, true);
    line.clear();
  }
}

int PagelingMonitorModeStrategy::stopMonitorMode() {
  loop_.stop();
  return 0;
}

void PagelingMonitorModeStrategy::startGlint(SerialPort&) {
  notSupported(L"PagelingMonitorModeeStrategy::startGlint -- ");
}

void PagelingMonitorModeStrategy::stopGlint(SerialPort&) {
  notSupported(L"PagelingMonitorModeStrategy::stopGlint -- ");
}

bool PagelingMonitorModeStrategy::supportsService(int serviceId) const {
  return serviceId == kMonitorService;
}

std::unique_ptr<MonitorModeStrategy> PagelingMonitorModeStrategy::clone() const {
  return std::make_unique<PagelingMonitorModeStrategy>();
}

}  // namespace QrCom
