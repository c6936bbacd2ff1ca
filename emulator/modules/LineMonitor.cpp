#include "emulator/modules/LineMonitor.h"

#include "emulator/Display.h"

namespace QrEmu {

namespace {
constexpr uint8_t kSwitch = 0x0B;
constexpr uint8_t kAnswerFrame = 0x07;
constexpr uint8_t kHelloAnswer = 0x34;
constexpr uint8_t kCursor = 0x02;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kEscape = 0xFE;
constexpr uint8_t kCursorOffset = 40;
}  // namespace

bool LineMonitor::onByte(Display& display, uint8_t byte) {
  if (display.mode() != Mode::Normal) return false;
  if (byte == kHelloAnswer && streaming() && dialect == LineDialect::Escape) {
    ++helloAnswers;
    return true;
  }
  stopStream(display);
  if (byte != kSwitch) return false;
  display.expectOneByte([this](uint8_t on) { armed_ = on == 1; });
  return true;
}

bool LineMonitor::onPacket(Display& display, const Packet& packet) {
  if (!armed_ || packet.type != kAnswerFrame) return false;
  armed_ = false;
  const bool text = dialect == LineDialect::Text;
  const Bytes preamble =
      text ? Bytes{kCursor, kCursorOffset, kCarriageReturn} : Bytes{kEscape, 0x37};
  startStream(display, preamble, [text](const MonitorEvent& event) {
    if (event.key >= 0) return Bytes{};
    Bytes line;
    if (text) line = {kCursor, static_cast<uint8_t>(event.cursor + kCursorOffset)};
    line.insert(line.end(), event.line.begin(), event.line.end());
    if (text) {
      line.push_back(kCarriageReturn);
    } else {
      line.insert(line.end(), {kEscape, 0x47, static_cast<uint8_t>(event.cursor), 0x00});
    }
    return line;
  });
  return true;
}

}  // namespace QrEmu
