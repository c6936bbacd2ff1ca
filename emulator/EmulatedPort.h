#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "emulator/Display.h"
#include "qrcom/port/SerialPort.h"

namespace QrEmu {

// A COM port with an emulated display behind it, in the same process and without real time:
// for unit tests. Writes go to the display at once; a read waits on the clock the way a COM
// port's time-outs do (100·n + 1000 ms for n bytes on a native port, 300·n + 1000 ms on other
// types) and releases the display's delayed answers as that time passes. Waiting moves the
// test's virtual clock; nothing sleeps for real.
class EmulatedPort : public QrCom::SerialPort {
 public:
  // Moves the clock on by the time the host spends waiting for bytes.
  using Wait = std::function<void(uint32_t milliseconds)>;

  // Opening fails with UnableToOpenPortException while the display is busy.
  EmulatedPort(Display& display, Wait wait, QrCom::PortType type = QrCom::PortType::NativeSerial,
               std::wstring name = L"emulated");
  // For any clock with advance(milliseconds), such as the tests' VirtualClock.
  template <typename VirtualClock>
  EmulatedPort(Display& display, VirtualClock* clock,
               QrCom::PortType type = QrCom::PortType::NativeSerial,
               std::wstring name = L"emulated")
      : EmulatedPort(
            display, [clock](uint32_t milliseconds) { clock->advance(milliseconds); }, type,
            std::move(name)) {}

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using QrCom::SerialPort::readBuffer;
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;
  uint8_t readByte() override;
  void purge() override;
  // The display learns the new rate, as a pty's peer does.
  void setBaudRate(uint32_t baud) override;
  uint32_t getBaudRate() const override { return baud_; }
  bool canChangeBaudRate() const override { return false; }
  QrCom::PortType getPortType() const override { return type_; }

 private:
  // One read with the port's time-out for `length` bytes; returns how many arrived.
  uint32_t readOnce(uint8_t* data, uint32_t length);
  void collect();
  uint32_t timeout(uint32_t length) const;
  std::wstring quoted() const;

  Display& display_;
  Wait wait_;
  QrCom::PortType type_;
  std::wstring name_;
  std::deque<uint8_t> received_;
  uint32_t baud_ = 19200;
};

}  // namespace QrEmu
