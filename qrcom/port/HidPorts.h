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

// The displays' HID interfaces in enumeration order: the interfaces that pass the HID path rule
// and whose product id is a display.
std::vector<HidInterface> enumerateHidInterfaces();

// Opens the HID port on `path`; throws UnableToOpenPortException when it cannot.
std::unique_ptr<SerialPort> openHidPort(const std::wstring& path);

// How the HID link is reached: the device paths of every HID interface present, and the
// opener of one. Tests install their own; an empty function restores the platform's.
struct HidLink {
  std::function<std::vector<std::wstring>()> listInterfacePaths;
  std::function<std::unique_ptr<SerialPort>(const std::wstring& path)> open;
};
// Only tests call this, before any thread that opens ports starts. Returns the previous link.
HidLink installHidLink(HidLink link);

}  // namespace QrCom
