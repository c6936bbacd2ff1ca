#include "fuzz/support/CurrentDisplay.h"

#include <string>

#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/VirtualClock.h"

namespace QrFuzz {

QrCom::QuorlinDevice& currentDisplay() {
  static QrCom::QuorlinDevice* device = [] {
    const std::wstring path = L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}";
    QrTest::ScopedVirtualClock clock;
    QrTest::ScriptedHidBus bus;
    QrTest::ScriptedHidDisplay display(*clock, 84, 0x0103);
    bus.attach(path, display.device());
    return new QrCom::QuorlinDevice(path);
  }();
  return *device;
}

}  // namespace QrFuzz
