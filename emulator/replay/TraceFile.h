#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "emulator/Bytes.h"

namespace QrEmu {

// One line of a port trace as the library writes it (qrcom/port/PortTrace.h has the format).
struct TracedEvent {
  uint64_t micros = 0;
  std::string port;     // as written, %20 and %25 left in place
  std::string event;    // open, write, read, timeout, purge, rate, pause, close, refused, failed
  Bytes bytes;          // write, read
  uint32_t number = 0;  // timeout, rate, pause
  size_t line = 0;      // in the file, from 1
};

// Throw std::invalid_argument naming the line that is not an event.
std::vector<TracedEvent> readTrace(std::istream& in);
std::vector<TracedEvent> readTraceFile(const std::string& path);

}  // namespace QrEmu
