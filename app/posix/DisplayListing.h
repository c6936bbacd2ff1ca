#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QrCom {
class QuorlinDevice;
}

namespace QrApp {

// What --list tells of a display found; a text the display cannot tell is empty.
struct ListedDisplay {
  uint8_t modelId = 0;
  std::wstring model;
  std::wstring serial;
  std::wstring firmware;
  bool usbHid = false;
  std::wstring path;  // the tty, or the USB-HID path
  std::wstring link;  // as the terminal names it: "at /dev/ttyUSB0"
  // Waiting in its boot loader after an update that did not finish: how the terminal says so.
  std::wstring waiting;
};

// Asks the display; a query it cannot answer leaves its text empty (--verbose tells why).
ListedDisplay listedDisplay(const QrCom::QuorlinDevice& device, uint16_t language);
// A display waiting in its boot loader on COM port `comPortNumber` whose model is not known
// (model id 0).
ListedDisplay listedWaitingDisplay(int comPortNumber, const std::wstring& serial,
                                   uint16_t language);

// One line per display, its fields separated by tabs: model, serial number, firmware version
// and link, "-" for what it cannot tell, and for a display waiting in its boot loader a fifth
// field that says so.
std::string displaysAsLines(const std::vector<ListedDisplay>& displays);

// One JSON array of objects {"modelId", "model", "serial", "firmware", "link", "path", "state"};
// "link" is "serial" or "usb-hid", "state" "running" or "boot-loader", and what a display
// cannot tell is null (the model too, for a waiting display whose model is not known).
std::string displaysAsJson(const std::vector<ListedDisplay>& displays);

}  // namespace QrApp
