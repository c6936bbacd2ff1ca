#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// One USB-HID interface of a display: its product id and its device path.
struct HidInterface {
  uint8_t productId = 0;
  std::wstring path;
};

// The displays' HID interfaces in the system's order: the interfaces that pass the HID path
// rule and whose product id is a display's. No HID back end is built in yet: the system lists
// no interfaces on either platform.
std::vector<HidInterface> enumerateHidInterfaces();

// Opens the HID port on `path`. Throws UnableToOpenPortException ("Can not open port") while
// no HID back end is built in.
std::unique_ptr<SerialPort> openHidPort(const std::wstring& path);

// Replace what the system lists and what openHidPort opens, for tests; an empty function
// restores the system's. Each returns the previous one. Install before threads open ports.
using HidInterfaceLister = std::function<std::vector<std::wstring>()>;
HidInterfaceLister installHidInterfaceLister(HidInterfaceLister lister);
using HidPortOpener = std::function<std::unique_ptr<SerialPort>(const std::wstring& path)>;
HidPortOpener installHidPortOpener(HidPortOpener opener);

}  // namespace QrCom
