#include "fuzz/support/FuzzPort.h"

#include <algorithm>
#include <cstring>

#include "qrcom/base/QrException.h"

namespace QrFuzz {

namespace {
constexpr uint32_t kComTimeoutMs = 1100;
constexpr uint32_t kHidReadBudgetMs = 2000;
}  // namespace

QrCom::CalendarTime FuzzClock::localTime() {
  return QrCom::CalendarTime{2024, 5, 1, 6, 7, 8, 9, 0};
}

void FuzzPort::writeBuffer(const uint8_t*, uint32_t length) {
  written_ += length;
}

void FuzzPort::silence() {
  clock_.advance(kind_ == Kind::Hid ? kHidReadBudgetMs : kComTimeoutMs);
  if (onSilence) onSilence();
}

uint32_t FuzzPort::readBuffer(uint8_t* data, uint32_t length, bool) {
  const uint32_t count = static_cast<uint32_t>(std::min<size_t>(length, remaining()));
  if (count > 0) std::memcpy(data, data_ + at_, count);
  at_ += count;
  if (count < length) silence();
  if (count == 0 && kind_ == Kind::Com) {
    throw QrCom::CannotReadFromPortException(L"FuzzPort::readBuffer -- silence");
  }
  return count;
}

uint8_t FuzzPort::readByte() {
  if (remaining() == 0) {
    silence();
    if (kind_ == Kind::Hid) return 0;
    throw QrCom::CannotReadFromPortException(L"FuzzPort::readByte -- silence");
  }
  return data_[at_++];
}

QrCom::PortType FuzzPort::getPortType() const {
  return kind_ == Kind::Hid ? QrCom::PortType::UsbHid : QrCom::PortType::NativeSerial;
}

}  // namespace QrFuzz
