#include "emulator/EmulatedPort.h"

#include <algorithm>

#include "qrcom/base/QrException.h"

namespace QrEmu {

namespace {
constexpr uint32_t kFailed = UINT32_MAX;
}  // namespace

EmulatedPort::EmulatedPort(Display& display, Wait wait, QrCom::PortType type, std::wstring name)
    : display_(display), wait_(std::move(wait)), type_(type), name_(std::move(name)) {
  if (display_.faults().busy) {
    throw QrCom::UnableToOpenPortException(
        QrCom::compose(L"EmulatedPort::openPort -- ", L" Port ", quoted(), L" can't be opened."));
  }
  display_.setHostLineRate(baud_);
}

void EmulatedPort::setBaudRate(uint32_t baud) {
  baud_ = baud;
  display_.setHostLineRate(baud);
}

std::wstring EmulatedPort::quoted() const {
  return L"\"" + name_ + L"\"";
}

uint32_t EmulatedPort::timeout(uint32_t length) const {
  return (type_ == QrCom::PortType::NativeSerial ? 100 : 300) * length + 1000;
}

void EmulatedPort::collect() {
  const Bytes due = display_.takeDue();
  received_.insert(received_.end(), due.begin(), due.end());
}

void EmulatedPort::writeBuffer(const uint8_t* data, uint32_t length) {
  if (display_.faults().unplugged) {
    throw QrCom::CannotWriteToPortException(QrCom::compose(
        L"EmulatedPort::writeBuffer -- ", L"Error while writing Buffer to port ", quoted(), L"."));
  }
  display_.receive(data, length);
}

uint32_t EmulatedPort::readOnce(uint8_t* data, uint32_t length) {
  if (display_.faults().unplugged) return kFailed;
  const uint32_t budget = timeout(length);
  uint32_t waited = 0;
  uint32_t count = 0;
  for (;;) {
    collect();
    while (count < length && !received_.empty()) {
      data[count++] = received_.front();
      received_.pop_front();
    }
    if (count == length || waited >= budget) return count;
    uint32_t step = budget - waited;
    if (const auto release = display_.nextRelease()) {
      const auto until = static_cast<int32_t>(*release - display_.now());
      step = std::clamp<uint32_t>(static_cast<uint32_t>(std::max(until, 1)), 1, step);
    }
    wait_(step);
    waited += step;
  }
}

uint32_t EmulatedPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  uint32_t count = readOnce(data, length);
  if (count == kFailed) count = 0;
  if (retry && count < length && !display_.faults().unplugged) {
    const uint32_t more = readOnce(data + count, length - count);
    if (more != kFailed) count += more;
  }
  if (count == 0) {
    throw QrCom::CannotReadFromPortException(QrCom::compose(
        L"EmulatedPort::readBuffer -- ", L" Error while reading from port ", quoted(), L"."));
  }
  return count;
}

uint8_t EmulatedPort::readByte() {
  uint8_t byte = 0;
  if (readOnce(&byte, 1) == 1) return byte;
  const uint32_t second = readOnce(&byte, 1);
  if (second == 1) return byte;
  const wchar_t* detail = second == 0 ? L". No Byte arrived." : L".";
  throw QrCom::CannotReadFromPortException(QrCom::compose(
      L"EmulatedPort::readByte --", L" Error while reading from port ", quoted(), detail));
}

void EmulatedPort::purge() {
  collect();
  received_.clear();
}

}  // namespace QrEmu
