#include "emulator/modules/CellMonitor.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kAnswer = 0x07;
constexpr uint8_t kSwitch = 0x0B;
constexpr uint8_t kDisplayReport = 0x1B;
constexpr uint8_t kKeyReport = 0x55;
constexpr uint8_t kGlint = 0x50;
constexpr uint8_t kNoPosition = 0xFF;
constexpr size_t kMaxCells = 160;
}  // namespace

bool CellMonitor::onByte(Display& display, uint8_t) {
  stopStream(display);
  return false;
}

bool CellMonitor::onPacket(Display& display, const Packet& packet) {
  if (display.mode() != Mode::Normal) return false;
  if (packet.type == kGlint && packet.payload.size() == 1) {
    glint = packet.payload[0] == 1;
    ++glintSwitches;
    display.sendPacket(kAnswer, {0x7E});
    return true;
  }
  if (packet.type == kAnswer && packet.payload.empty()) {
    display.send({0x79, display.modelId(), 0x01, kAnswer, 0x16});
    return true;
  }
  if (packet.type != kSwitch || packet.payload.size() != 1) return false;
  display.send({0x79, display.modelId(), 0x01, kAnswer, 0x16});
  if (packet.payload[0] == 0) return true;
  const uint8_t modelId = display.modelId();
  startStream(display, {}, [modelId](const MonitorEvent& event) {
    if (event.key >= 0) {
      return Bytes{0x79, modelId, 0x02, kKeyReport, static_cast<uint8_t>(event.key), 0x16};
    }
    const std::string cells = event.line.substr(0, kMaxCells);
    Bytes report = {0x79, modelId, static_cast<uint8_t>(cells.size() + 9), kDisplayReport,
                    event.cursor == 0 ? kNoPosition : static_cast<uint8_t>(event.cursor - 1)};
    report.insert(report.end(), 6, 0x00);
    report.push_back(static_cast<uint8_t>(cells.size()));
    report.insert(report.end(), cells.begin(), cells.end());
    report.push_back(0x16);
    return report;
  });
  return true;
}

}  // namespace QrEmu
