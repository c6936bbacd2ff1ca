#include "qrcom/protocol/PlanoMonitorModeStrategy.h"

#include <mutex>

#include "qrcom/base/Clock.h"
#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/protocol/MonitorLine.h"

namespace QrCom {

namespace {
constexpr uint8_t kMonitorSwitch = 0x0B;
constexpr uint8_t kRefused = 0x0A;
constexpr uint8_t kCursor = 0x02;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kEscape = 0xFE;
constexpr uint8_t kEscapeCursor = 0x47;
constexpr uint8_t kEscapeClear = 0x4B;
constexpr uint8_t kEscapeHello = 0x37;
constexpr uint8_t kHelloAnswer = 0x34;
// The text dialect's cursor byte is the position plus 40.
constexpr int kCursorOffset = 40;
constexpr uint32_t kReadFailurePauseMs = 200;
constexpr int kMonitorService = 1;

bool isText(uint8_t byte) {
  return byte >= 0x20 || byte == kLineFeed;
}

// The reader of one stream: synchronises on the first sequence the display sends, then turns
// lines and cursor moves into reports.
class PlanoStream {
 public:
  PlanoStream(SerialPort& port, MonitorSink* sink, QuorlinDevice* device)
      : port_(port), sink_(sink), device_(device) {}

  // Reads and handles the next byte (and what belongs to it).
  void next() {
    const uint8_t byte = port_.readByte();
    if (!synchronised_) {
      synchronise(byte);
    } else if (escapeDialect_) {
      escape(byte);
    } else {
      text(byte);
    }
  }

 private:
  void synchronise(uint8_t byte) {
    if (byte == kEscape) {
      if (port_.readByte() != kEscapeHello) return;
      port_.writeByte(kHelloAnswer);
      synchronised_ = true;
      escapeDialect_ = true;
    } else if (byte == kCursor) {
      port_.readByte();
      const uint8_t end = port_.readByte();
      synchronised_ = end == kCarriageReturn || end == kLineFeed;
    }
  }

  void text(uint8_t byte) {
    if (byte == kCursor) {
      const uint8_t position = port_.readByte();
      previousCursor_ = cursor_;
      cursor_ = position - kCursorOffset;
    } else if (byte == kCarriageReturn) {
      endOfLine();
    } else if (isText(byte)) {
      line_.append(byte);
    }
  }

  void escape(uint8_t byte) {
    if (byte != kEscape) {
      if (isText(byte)) line_.append(byte);
      return;
    }
    const uint8_t command = port_.readByte();
    if (command == kEscapeCursor) {
      const uint8_t position = port_.readByte();
      port_.readByte();
      if (line_.empty()) return;
      previousCursor_ = cursor_;
      cursor_ = position;
      endOfLine();
    } else if (command == kEscapeClear) {
      if (line_.empty()) return;
      if (line_ != previous_) {
        previous_ = line_;
        cursor_ = 0;
        display(0, true);
      }
      line_.clear();
    } else if (command == kEscapeHello) {
      port_.writeByte(kHelloAnswer);
    }
  }

  void endOfLine() {
    if (line_ != previous_) {
      display(cursor_, true);
    } else if (cursor_ != previousCursor_) {
      display(cursor_, false);
    }
    previous_ = line_;
    line_.clear();
  }

  void display(int position, bool changed) {
    if (sink_ != nullptr) sink_->onDisplay(device_, line_.text(), position, changed);
  }

  SerialPort& port_;
  MonitorSink* sink_;
  QuorlinDevice* device_;
  bool synchronised_ = false;
  bool escapeDialect_ = false;
  int cursor_ = 0;
  int previousCursor_ = 0;
  MonitorLine line_;
  MonitorLine previous_;
};
}  // namespace

void PlanoMonitorModeStrategy::startMonitorMode(SerialPort& port, MonitorSink* sink,
                                                QuorlinDevice* device) {
  std::lock_guard<NativeMutex> guard(loop_.mutex);
  loop_.running = true;
  MonitorLoop::Scope scope(loop_);
  PlanoStream stream(port, sink, device);
  switchMonitorMode(port, true);
  sendAnswerFrame(port, true, device != nullptr ? device->getModelId() : 0);
  while (loop_.goesOn(device)) {
    try {
      stream.next();
    } catch (const CannotReadFromPortException&) {
      if (!loop_.running) break;
      clock().sleep(kReadFailurePauseMs);
    } catch (const QrException&) {
      break;
    }
  }
  switchMonitorMode(port, false);
}

void PlanoMonitorModeStrategy::sendAnswerFrame(SerialPort& port, bool acknowledge,
                                               uint8_t modelId) {
  try {
    const std::vector<uint8_t> frame =
        buildPacket(modelId, acknowledge ? Packet::kAcknowledgementType : kRefused);
    port.writeBuffer(frame.data(), static_cast<uint32_t>(frame.size()));
    port.purge();
  } catch (const PortException&) {
    // The display starts streaming without the answer.
  }
}

void PlanoMonitorModeStrategy::switchMonitorMode(SerialPort& port, bool on) {
  port.writeByte(kMonitorSwitch);
  port.writeByte(on ? 1 : 0);
  port.purge();
}

int PlanoMonitorModeStrategy::stopMonitorMode() {
  if (!loop_.looping) return 0;
  loop_.stop();
  return 0;
}

void PlanoMonitorModeStrategy::requestStop() {
  if (loop_.looping) loop_.running = false;
}

void PlanoMonitorModeStrategy::startGlint(SerialPort&) {
  notSupported(L"PlanoMonitorModeStrategy::startGlint -- ");
}

void PlanoMonitorModeStrategy::stopGlint(SerialPort&) {
  notSupported(L"NoMonitorodeStrategy::stopGlint -- ");
}

bool PlanoMonitorModeStrategy::supportsService(int serviceId) const {
  return serviceId == kMonitorService;
}

std::unique_ptr<MonitorModeStrategy> PlanoMonitorModeStrategy::clone() const {
  return std::make_unique<PlanoMonitorModeStrategy>();
}

}  // namespace QrCom
