#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The numbers of the COM ports the system knows, in the system's order. Windows: the registry's
// serial-port map (after a 1000 ms pause), neither sorted nor de-duplicated. Linux: the port
// table (PosixPortTable), ascending.
std::vector<int> enumerateComPorts();

// Opens COM port `number`: a WinSerialPort, or on Linux a PosixSerialPort on the tty the port
// table maps the number to. Throws the port's exceptions.
std::unique_ptr<SerialPort> openComPort(int number);

// The system's port of that number, whatever opener is installed.
std::unique_ptr<SerialPort> openSystemComPort(int number);

// The port as the user knows it: "COM3" on Windows, the tty's path on Linux.
std::wstring comPortName(int number);

// Replaces what openComPort opens, for tests; an empty opener restores the system's ports.
// Returns the previous one. Install before threads open ports.
using ComPortOpener = std::function<std::unique_ptr<SerialPort>(int number)>;
ComPortOpener installComPortOpener(ComPortOpener opener);

// Opens the display's USB-HID interface on `path` (listed by enumerateHidInterfaces,
// HidEnumeration.h): a HidPort. Throws the port's exceptions.
std::unique_ptr<SerialPort> openHidPort(const std::wstring& path);

// Replaces what openHidPort opens, for tests; an empty opener restores HidPort. Returns the
// previous one. Install before threads open ports.
using HidPortOpener = std::function<std::unique_ptr<SerialPort>(const std::wstring& path)>;
HidPortOpener installHidPortOpener(HidPortOpener opener);

}  // namespace QrCom
