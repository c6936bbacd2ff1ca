#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "qrcom/port/SerialPort.h"
#include "tests/support/VirtualClock.h"

namespace QrTest {

using Bytes = std::vector<uint8_t>;

// An in-memory port for golden tests: it records every byte the host writes and serves the
// bytes a test scripts as the device's answers. Silence behaves like the real ports: a COM
// port throws, a HID port's readByte returns 0; the port's time-out passes on the clock.
class ScriptedPort : public QrCom::SerialPort {
 public:
  enum class Kind { Com, Hid };
  struct Call {
    enum Type { Purge, Write, Read } type;
    Bytes bytes;
  };
  using Responder = std::function<void(const Bytes& written, ScriptedPort& port)>;

  explicit ScriptedPort(VirtualClock* clock = nullptr, Kind kind = Kind::Com)
      : clock_(clock), kind_(kind) {}

  // Bytes the device has sent already (a purge discards them).
  void deliver(const Bytes& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
  // Bytes the device sends after each of the next writes, one entry per write.
  void answerNextWrite(const Bytes& bytes) { answers_.push_back(bytes); }
  // Called after every write instead of the queued answers.
  void setResponder(Responder responder) { responder_ = std::move(responder); }

  const Bytes& written() const { return written_; }
  const std::vector<Call>& calls() const { return calls_; }
  size_t pending() const { return input_.size(); }
  void clearLog() {
    written_.clear();
    calls_.clear();
  }

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using QrCom::SerialPort::readBuffer;
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;
  uint8_t readByte() override {
    uint8_t byte = 0;
    return ScriptedPort::readBuffer(&byte, 1, true), byte;
  }
  void purge() override {
    input_.clear();
    calls_.push_back({Call::Purge, {}});
  }
  void setBaudRate(uint32_t baud) override { baud_ = baud; }
  uint32_t getBaudRate() const override { return baud_; }
  bool canChangeBaudRate() const override { return canChangeBaudRate_; }
  void setCanChangeBaudRate(bool value) { canChangeBaudRate_ = value; }
  QrCom::PortType getPortType() const override {
    return kind_ == Kind::Hid ? QrCom::PortType::UsbHid : QrCom::PortType::NativeSerial;
  }

 private:
  VirtualClock* clock_;
  Kind kind_;
  std::deque<uint8_t> input_;
  std::deque<Bytes> answers_;
  Responder responder_;
  Bytes written_;
  std::vector<Call> calls_;
  uint32_t baud_ = 19200;
  bool canChangeBaudRate_ = false;
};

// "79 22 01" -> {0x79, 0x22, 0x01}
Bytes hex(const std::string& text);
std::string toHex(const Bytes& bytes);
// "INFO" -> its character codes.
inline Bytes ascii(const std::string& text) {
  return Bytes(text.begin(), text.end());
}
Bytes operator+(Bytes left, const Bytes& right);

}  // namespace QrTest
