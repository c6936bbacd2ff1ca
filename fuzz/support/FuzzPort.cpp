#include "fuzz/support/FuzzPort.h"

#include <cstdio>
#include <cstdlib>

#include "qrcom/base/QrException.h"

namespace QrFuzz {

namespace {
constexpr uint32_t kComTimeoutMs = 1100;
constexpr uint32_t kHidReadBudgetMs = 2000;
}  // namespace

QrCom::CalendarTime FuzzClock::localTime() {
  return QrCom::CalendarTime{2024, 5, 1, 6, 7, 8, 9, 0};
}

void FuzzPort::writeBuffer(const uint8_t*, uint32_t) {}

bool FuzzPort::next(uint8_t& byte) {
  if (at_ >= size_ && onExhausted) onExhausted();
  if (at_ < size_) {
    byte = data_[at_++];
  } else if (endless()) {
    byte = data_[(at_++ - size_) % size_];
    clock_.advance(1);
  } else {
    return false;
  }
  if (++read_ > kReadLimit) {
    std::fprintf(stderr, "the host read %llu bytes of device data without a bound\n",
                 static_cast<unsigned long long>(read_));
    std::abort();
  }
  return true;
}

void FuzzPort::silence() {
  clock_.advance(hid() ? kHidReadBudgetMs : kComTimeoutMs);
}

uint32_t FuzzPort::readBuffer(uint8_t* data, uint32_t length, bool) {
  uint32_t count = 0;
  while (count < length && next(data[count])) ++count;
  if (count < length) silence();
  if (count == 0 && length > 0 && !hid()) {
    throw QrCom::CannotReadFromPortException(L"FuzzPort::readBuffer -- silence");
  }
  return count;
}

uint8_t FuzzPort::readByte() {
  uint8_t byte = 0;
  if (next(byte)) return byte;
  silence();
  if (hid()) return 0;
  throw QrCom::CannotReadFromPortException(L"FuzzPort::readByte -- silence");
}

QrCom::PortType FuzzPort::getPortType() const {
  return hid() ? QrCom::PortType::UsbHid : QrCom::PortType::NativeSerial;
}

}  // namespace QrFuzz
