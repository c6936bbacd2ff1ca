#include "tests/support/ScriptedPort.h"

#include <cstdio>
#include <sstream>

#include "qrcom/base/QrException.h"

namespace QrTest {

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

uint32_t ScriptedPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  uint32_t count = 0;
  while (count < length && !input_.empty()) {
    data[count++] = input_.front();
    input_.pop_front();
  }
  calls_.push_back({Call::Read, Bytes(data, data + count)});
  // A HID port's read budget, or a native COM port's time-out for `length` bytes.
  if (count < length && clock_ != nullptr) {
    clock_->advance(kind_ == Kind::Hid ? 2000 : (100 * length + 1000) * (retry ? 2 : 1));
  }
  if (count == 0 && kind_ == Kind::Com) {
    throw QrCom::CannotReadFromPortException(
        L"ScriptedPort::readBuffer -- Error while reading from port \"scripted\".");
  }
  return count;
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

Bytes operator+(Bytes left, const Bytes& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

}  // namespace QrTest
