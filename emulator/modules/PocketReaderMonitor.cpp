#include "emulator/modules/PocketReaderMonitor.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kCarriageReturn = 0x0D;
}  // namespace

bool PocketReaderMonitor::onByte(Display& display, uint8_t) {
  stopStream(display);
  return false;
}

void PocketReaderMonitor::start(Display& display) {
  startStream(display, {kAck}, [](const MonitorEvent& event) {
    if (event.key >= 0) return Bytes{};
    Bytes line(event.line.begin(), event.line.end());
    line.push_back(kCarriageReturn);
    return line;
  });
}

}  // namespace QrEmu
