#pragma once

#include <functional>
#include <memory>
#include <string>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// Opens the display's USB-HID interface on `path` as a port: a HidPort. Throws the port's
// exceptions.
std::unique_ptr<SerialPort> openHidPort(const std::wstring& path);

// Replaces what openHidPort opens, for tests; an empty opener restores HidPort. Returns the
// previous one. Install before threads open ports.
using HidPortOpener = std::function<std::unique_ptr<SerialPort>(const std::wstring& path)>;
HidPortOpener installHidPortOpener(HidPortOpener opener);

}  // namespace QrCom
