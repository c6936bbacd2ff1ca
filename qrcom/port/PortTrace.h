#pragma once

#include <functional>
#include <memory>
#include <string>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// A support trace: every byte that crosses a port the library opens, both ways, and what the
// library sees happen to the port. One line per event:
//
//   <microseconds since the trace began> <port> <event> [<detail>]
//
//   open <kind> <baud>     the port opened (kind: serial, usb-serial, bluetooth, hid, other)
//   refused <message>      the port could not be opened
//   write <hex bytes>      the host sent these bytes (noted before they go out)
//   read <hex bytes>       these bytes arrived (noted when the read returns)
//   timeout <count>        a read ended with `count` bytes still missing
//   purge | rate <baud> | close
//   failed <message>       a write failed
//   pause <milliseconds>   a protocol pause of the thread that last used the port
//
// The port is named as the user knows it ("COM3", "/dev/ttyUSB0", a HID path); blanks and '%'
// in a name are written as %20 and %25, so the fields split at blanks. Lines starting with '#'
// are comments.

// Starts a trace into `path` (replaced when it exists): ports opened from now on are traced and
// protocol pauses noted. Call before threads open ports. Throws the file's exception.
void startPortTrace(const std::wstring& path);
// Ends the trace, once no thread uses a port or the clock; ports still open stop writing into it.
void stopPortTrace();

// Opens a port with `open`: while a trace runs the port comes wrapped in a decorator that
// writes every event, and a refusal is noted under `name` before its exception passes on.
std::unique_ptr<SerialPort> openTraced(const std::function<std::unique_ptr<SerialPort>()>& open,
                                       const std::function<std::wstring()>& name);

}  // namespace QrCom
