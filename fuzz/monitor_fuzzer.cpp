// The monitor-mode streams of the three families (legacy text and escape dialects, current
// firmware reports, pocket reader lines) from a fuzzed device; the loop ends once the device
// falls silent (or, endless, once it has said everything once); the glint commands before it
// when the mode asks. Every line handed to the sink must be terminated within its bound.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/support/FuzzPort.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/MaintenanceSelection.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace {

class CheckingSink : public QrCom::MonitorSink {
 public:
  explicit CheckingSink(bool cells) : cells_(cells) {}
  void onDisplay(QrCom::QuorlinDevice*, const uint8_t* content, int, bool) override {
    // Lines are read as C strings; cell arrays have the display's 80 cells at most.
    const size_t length = cells_ ? 80 : std::strlen(reinterpret_cast<const char*>(content));
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + content[i]);
  }
  void onKey(QrCom::QuorlinDevice*, uint8_t) override {}
  void onMonitorModeEnded(QrCom::QuorlinDevice*) override {}

 private:
  bool cells_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const uint8_t modelIds[] = {116, 84, 144};
  const uint8_t modelId = choose.pick(modelIds);
  const uint8_t mode = choose.byte();
  auto strategy = QrCom::selectMonitorMode(modelId);
  QrFuzz::FuzzPort port(*clock, data, size, mode);
  port.onExhausted = [&] { strategy->requestStop(); };
  CheckingSink sink(modelId == 84);
  try {
    if (mode & 0x20) {
      strategy->startGlint(port);
      strategy->stopGlint(port);
    }
    strategy->startMonitorMode(port, &sink, nullptr);
  } catch (const QrCom::QrException&) {
  }
  if (strategy->isActive()) std::abort();
  return 0;
}
