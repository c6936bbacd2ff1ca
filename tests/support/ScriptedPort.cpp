#include "tests/support/ScriptedPort.h"

#include <cstdio>
#include <sstream>

#include "qrcom/base/QrException.h"

namespace QrTest {

namespace {
// The COM port's read time-out for n bytes on a native port.
uint32_t comTimeout(uint32_t length) {
  return 100 * length + 1000;
}
constexpr uint32_t kHidReadBudget = 2000;
}  // namespace

ScriptedPort::ScriptedPort(VirtualClock* clock, Kind kind) : clock_(clock), kind_(kind) {}

void ScriptedPort::deliver(const Bytes& bytes) {
  input_.insert(input_.end(), bytes.begin(), bytes.end());
}

void ScriptedPort::answerNextWrite(const Bytes& bytes) {
  answers_.push_back(bytes);
}

void ScriptedPort::setResponder(Responder responder) {
  responder_ = std::move(responder);
}

void ScriptedPort::clearLog() {
  written_.clear();
  calls_.clear();
}

void ScriptedPort::writeBuffer(const uint8_t* data, uint32_t length) {
  const Bytes bytes(data, data + length);
  written_.insert(written_.end(), bytes.begin(), bytes.end());
  calls_.push_back({Call::Write, bytes});
  if (responder_) {
    responder_(bytes, *this);
  } else if (!answers_.empty()) {
    deliver(answers_.front());
    answers_.pop_front();
  }
}

void ScriptedPort::waitForSilence(uint32_t milliseconds) {
  if (clock_ != nullptr) clock_->advance(milliseconds);
}

uint32_t ScriptedPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  uint32_t count = 0;
  while (count < length && !input_.empty()) {
    data[count++] = input_.front();
    input_.pop_front();
  }
  calls_.push_back({Call::Read, Bytes(data, data + count)});
  if (count < length) {
    waitForSilence(kind_ == Kind::Hid ? kHidReadBudget : comTimeout(length) * (retry ? 2 : 1));
  }
  if (count == 0 && kind_ == Kind::Com) {
    throw QrCom::CannotReadFromPortException(
        L"ScriptedPort::readBuffer -- Error while reading from port \"scripted\".");
  }
  return count;
}

uint8_t ScriptedPort::readByte() {
  if (input_.empty()) {
    calls_.push_back({Call::Read, {}});
    if (kind_ == Kind::Hid) {
      waitForSilence(kHidReadBudget);
      return 0;
    }
    waitForSilence(2 * comTimeout(1));
    throw QrCom::CannotReadFromPortException(
        L"ScriptedPort::readByte -- Error while reading from port \"scripted\". No Byte arrived.");
  }
  const uint8_t byte = input_.front();
  input_.pop_front();
  calls_.push_back({Call::Read, {byte}});
  return byte;
}

void ScriptedPort::purge() {
  input_.clear();
  calls_.push_back({Call::Purge, {}});
}

QrCom::PortType ScriptedPort::getPortType() const {
  return kind_ == Kind::Hid ? QrCom::PortType::UsbHid : QrCom::PortType::NativeSerial;
}

Bytes hex(const std::string& text) {
  Bytes bytes;
  std::istringstream in(text);
  std::string token;
  while (in >> token) bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
  return bytes;
}

std::string toHex(const Bytes& bytes) {
  std::string text;
  char buffer[8];
  for (uint8_t byte : bytes) {
    std::snprintf(buffer, sizeof buffer, text.empty() ? "%02X" : " %02X", byte);
    text += buffer;
  }
  return text;
}

Bytes ascii(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes left, const Bytes& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

}  // namespace QrTest
