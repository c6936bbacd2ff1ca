#pragma once

#include <cstdint>
#include <string>

#include "app/DeviceDescription.h"

namespace QrCom {
class QuorlinDevice;
}

namespace QrApp {

// Where the display is attached, as the user knows it: "at USB-HID", "at COM3" on Windows, the
// tty's path on Linux (DevicePort-posix.cpp, DevicePort-win32.cpp).
std::wstring devicePortText(const QrCom::QuorlinDevice& device, uint16_t language);

// The display's model, its serial number when it tells one, and its port.
DeviceLabel deviceLabel(const QrCom::QuorlinDevice& device, uint16_t language);

}  // namespace QrApp
