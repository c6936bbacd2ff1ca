#include "emulator/replay/TraceFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace QrEmu {

namespace {

[[noreturn]] void bad(size_t line, const std::string& why) {
  throw std::invalid_argument("trace line " + std::to_string(line) + ": " + why);
}

Bytes hexBytes(std::istringstream& fields, size_t line) {
  Bytes bytes;
  std::string pair;
  while (fields >> pair) {
    size_t used = 0;
    unsigned long value = 0;
    try {
      value = std::stoul(pair, &used, 16);
    } catch (const std::exception&) {
      used = 0;
    }
    if (pair.size() != 2 || used != 2) bad(line, "\"" + pair + "\" is not a hex byte");
    bytes.push_back(static_cast<uint8_t>(value));
  }
  if (bytes.empty()) bad(line, "no bytes");
  return bytes;
}

}  // namespace

std::vector<TracedEvent> readTrace(std::istream& in) {
  std::vector<TracedEvent> events;
  std::string text;
  for (size_t line = 1; std::getline(in, text); ++line) {
    if (text.empty() || text[0] == '#') continue;
    std::istringstream fields(text);
    TracedEvent event;
    event.line = line;
    if (!(fields >> event.micros >> event.port >> event.event)) bad(line, "not an event");
    if (event.event == "write" || event.event == "read") {
      event.bytes = hexBytes(fields, line);
    } else if (event.event == "timeout" || event.event == "rate" || event.event == "pause") {
      if (!(fields >> event.number)) bad(line, event.event + " without its number");
    }
    events.push_back(std::move(event));
  }
  return events;
}

std::vector<TracedEvent> readTraceFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::invalid_argument("cannot read the trace " + path);
  return readTrace(in);
}

}  // namespace QrEmu
