#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QrCom {

// A display's USB-HID interface as enumeration found it.
struct HidInterface {
  uint8_t productId = 0;
  std::wstring path;
};
using HidInterfaceList = std::vector<HidInterface>;

// Every present HID interface that passes the HID path rule and is a display, in the system's
// order. An enumeration the system refuses leaves the list empty.
void enumerateHidInterfaces(HidInterfaceList& out);

}  // namespace QrCom
