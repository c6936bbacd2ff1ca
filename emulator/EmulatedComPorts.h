#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "emulator/EmulatedPort.h"
#include "qrcom/port/ComPorts.h"

namespace QrEmu {

// Makes QrCom::openComPort open emulated displays in process while it lives, for unit tests of
// what opens COM ports by number (the device object, discovery). A number without a display
// fails like a COM port that doesn't exist; a busy display refuses like a port held by another
// program. Restores the previous opener when destroyed.
class EmulatedComPorts {
 public:
  explicit EmulatedComPorts(EmulatedPort::Wait wait);
  // For any clock with advance(milliseconds), such as the tests' VirtualClock.
  template <typename VirtualClock>
  explicit EmulatedComPorts(VirtualClock* clock)
      : EmulatedComPorts([clock](uint32_t milliseconds) { clock->advance(milliseconds); }) {}
  ~EmulatedComPorts();
  EmulatedComPorts(const EmulatedComPorts&) = delete;
  EmulatedComPorts& operator=(const EmulatedComPorts&) = delete;

  // COM port `number` leads to `display`, which outlives the ports opened on it.
  void attach(int number, Display& display, QrCom::PortType type = QrCom::PortType::NativeSerial);
  // How often port `number` was opened (refused openings included).
  uint32_t openings(int number) const;

 private:
  struct Attached {
    Display* display;
    QrCom::PortType type;
  };

  std::unique_ptr<QrCom::SerialPort> open(int number);

  EmulatedPort::Wait wait_;
  mutable std::mutex mutex_;
  std::map<int, Attached> attached_;
  std::map<int, uint32_t> openings_;
  QrCom::ComPortOpener previous_;
};

}  // namespace QrEmu
