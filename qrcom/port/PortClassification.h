#pragma once

#include <string_view>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The kind of COM port a Windows driver service serves: "Serial" is a native port; the
// USB-serial adapter and Bluetooth services are listed; anything else keeps `otherwise`.
PortType classifyServiceName(std::wstring_view service,
                             PortType otherwise = PortType::Unclassified);

// Whether one of the ";"-separated entries of `list` equals `name` exactly (case-sensitive,
// whole entry). An empty name or list never matches.
bool serviceListMatches(std::wstring_view list, std::wstring_view name);

// The decimal number after the first three characters of a port name ("COM12" gives 12); 0
// when no digits follow or the number is too large for a port.
int comPortNumber(std::wstring_view portName);

// The kind of a Linux tty from its name and sysfs: rfcomm ttys are Bluetooth; a tty whose
// device sits on the USB bus ("usb", "usb-serial") is an adapter; any other tty with a device
// is a native port; a tty without a device (a pty) is unclassified.
PortType classifyTty(std::string_view ttyName, bool hasDevice, std::string_view subsystem);

}  // namespace QrCom
