#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "qrcom/base/Clock.h"
#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"

namespace QrCom {

namespace {
constexpr uint8_t kMonitorSwitch = 0x0B;
constexpr uint8_t kDisplayReport = 0x1B;
constexpr uint8_t kKeyReport = 0x55;
constexpr uint8_t kGlint = 0x50;
// Glint is addressed to this model id whatever the display is.
constexpr uint8_t kGlintModelId = 0x54;
constexpr uint32_t kGlintAnswer = 80;
constexpr uint8_t kNoPosition = 0xFF;
// Payload of a display report: position, six bytes the PC ignores, the cell count, the cells.
constexpr size_t kCellCount = 7;
constexpr size_t kFirstCell = 8;
constexpr uint32_t kReadFailurePauseMs = 200;
constexpr int kMonitorService = 1;
constexpr int kGlintService = 35;

// The display's answer to a monitor-mode request: five bytes, of which one in the right place
// is enough.
bool answered(SerialPort& port, uint8_t modelId) {
  uint8_t answer[5] = {};
  if (port.readBuffer(answer, 5) != 5) return false;
  return answer[0] == Packet::kStart || answer[1] == modelId ||
         answer[3] == Packet::kAcknowledgementType || answer[4] == Packet::kAcknowledged;
}

void write(SerialPort& port, const std::vector<uint8_t>& frame) {
  port.writeBuffer(frame.data(), static_cast<uint32_t>(frame.size()));
}

bool stopRequested(const QuorlinDevice* device) {
  return device != nullptr && device->isStopMonitorRequested();
}

void switchGlint(SerialPort& port, uint8_t on) {
  uint8_t answer[kGlintAnswer] = {};
  sendPacket(port, buildPacket(kGlintModelId, kGlint, {on}));
  port.readBuffer(answer, kGlintAnswer, false);
  port.purge();
}
}  // namespace

void QrBrlOsMonitorModeStrategy::startMonitorMode(SerialPort& port, MonitorSink* sink,
                                                  QuorlinDevice* device) {
  std::lock_guard<NativeMutex> guard(loop_.mutex);
  // Set before the loop counts as active, so that a stop requested while the display is still
  // being switched on is not lost.
  loop_.running = true;
  MonitorLoop::Scope scope(loop_);
  std::memset(cells_, 0, sizeof cells_);
  const uint8_t modelId = device != nullptr ? device->getModelId() : 0;
  sendPacket(port, buildPacket(modelId, Packet::kAcknowledgementType));
  if (!answered(port, modelId)) {
    port.purge();
    return;
  }
  if (!stopRequested(device)) {
    write(port, buildPacket(modelId, kMonitorSwitch, {1}));
    if (!answered(port, modelId)) return;
  }
  receiveReports(port, sink, device, modelId);
  port.purge();
  if (!stopRequested(device)) {
    write(port, buildPacket(modelId, kMonitorSwitch, {0}));
    if (!answered(port, modelId)) port.purge();
  }
}

void QrBrlOsMonitorModeStrategy::receiveReports(SerialPort& port, MonitorSink* sink,
                                                QuorlinDevice* device, uint8_t modelId) {
  while (loop_.goesOn(device)) {
    uint8_t header[4] = {};
    uint8_t body[256] = {};
    try {
      const bool report = port.readBuffer(header, 4) == 4 && header[0] == Packet::kStart &&
                          header[1] == modelId &&
                          (header[3] == kDisplayReport || header[3] == kKeyReport);
      // L counts the type byte and the payload; the end byte follows the payload.
      const uint32_t length = header[2];
      if (!report || length == 0 || port.readBuffer(body, length) < length) {
        port.purge();
        continue;
      }
    } catch (const CannotReadFromPortException&) {
      // A quiet display on a serial link. Look again after a pause.
      if (loop_.running) clock().sleep(kReadFailurePauseMs);
      continue;
    }
    const uint32_t payload = header[2] - 1u;
    if (header[3] == kKeyReport) {
      if (payload >= 1 && sink != nullptr) sink->onKey(device, body[0]);
    } else if (payload >= kFirstCell) {
      reportCells(body, payload, sink, device);
    } else {
      port.purge();
    }
  }
}

void QrBrlOsMonitorModeStrategy::reportCells(const uint8_t* payload, uint32_t length,
                                             MonitorSink* sink, QuorlinDevice* device) {
  const int position = payload[0] == kNoPosition ? 0 : payload[0] + 1;
  const size_t count = std::min<size_t>(payload[kCellCount], length - kFirstCell);
  bool changed = false;
  for (size_t i = 0; i < count; ++i) {
    changed = changed || cells_[i] != payload[kFirstCell + i];
    cells_[i] = payload[kFirstCell + i];
  }
  if (sink != nullptr) sink->onDisplay(device, cells_, position, changed);
}

int QrBrlOsMonitorModeStrategy::stopMonitorMode() {
  if (!loop_.looping) return 0;
  loop_.stop();
  return 0;
}

void QrBrlOsMonitorModeStrategy::requestStop() {
  if (loop_.looping) loop_.running = false;
}

void QrBrlOsMonitorModeStrategy::startGlint(SerialPort& port) {
  switchGlint(port, 1);
}

void QrBrlOsMonitorModeStrategy::stopGlint(SerialPort& port) {
  switchGlint(port, 0);
}

bool QrBrlOsMonitorModeStrategy::supportsService(int serviceId) const {
  return serviceId == kMonitorService || serviceId == kGlintService;
}

std::unique_ptr<MonitorModeStrategy> QrBrlOsMonitorModeStrategy::clone() const {
  return std::make_unique<QrBrlOsMonitorModeStrategy>();
}

}  // namespace QrCom
