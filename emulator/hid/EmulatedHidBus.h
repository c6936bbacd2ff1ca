#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/Display.h"
#include "qrcom/port/HidDevice.h"

namespace QrEmu {

struct HidRelay;

// A USB-HID bus with emulated displays on it, in the same process and without real time: the
// host's HidPort talks to a display through input reports (01 n payload) and output reports
// (02 n payload). A display that restarts leaves the bus (its open device goes dead: writes
// fail, reads bring nothing) and comes back under a new device path. Installed as the
// library's HID bus for the lifetime of the object. The host's waits for input move the clock
// with `wait` once every answer already due has reached the port.
class EmulatedHidBus : public QrCom::HidBus {
 public:
  using Wait = std::function<void(uint32_t milliseconds)>;

  explicit EmulatedHidBus(Wait wait);
  // For any clock with advance(milliseconds), such as the tests' VirtualClock.
  template <typename VirtualClock>
  explicit EmulatedHidBus(VirtualClock* clock)
      : EmulatedHidBus([clock](uint32_t milliseconds) { clock->advance(milliseconds); }) {}
  ~EmulatedHidBus() override;
  EmulatedHidBus(const EmulatedHidBus&) = delete;
  EmulatedHidBus& operator=(const EmulatedHidBus&) = delete;

  // Puts `display` on the bus as a device with the display's model id as product id; the bus
  // becomes the display's listener.
  void attach(Display& display, QrCom::HidCapabilities capabilities = {64, 64});
  // The path the display has now (it changes with every return to the bus).
  std::wstring pathOf(const Display& display) const;

  std::vector<std::wstring> interfacePaths() override;
  Opened open(const std::wstring& path) override;

 private:
  struct Attached {
    Display* display;
    QrCom::HidCapabilities capabilities;
    uint32_t instance;
    std::shared_ptr<HidRelay> relay;  // wakes the devices open on the display
  };

  std::wstring pathOf(const Attached& attached) const;

  Wait wait_;
  mutable std::mutex mutex_;
  std::vector<Attached> attached_;
  QrCom::HidBus* previous_;
};

}  // namespace QrEmu
