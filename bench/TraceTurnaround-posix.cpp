// The host's own reaction time in a port trace (quorlin-updater --trace, or a bench's --trace):
// from the last byte of a display's answer to the first byte of the host's next command on the
// same port, less the protocol pauses noted between them. Gaps in which the host waited on the
// line (a time-out) or opened or closed the port are not reactions and are left out.
//
//   trace_turnaround TRACE     prints the count of gaps, p50, p99 and the maximum in ms

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <vector>

#include "emulator/replay/TraceFile.h"

namespace {

struct PortState {
  bool answered = false;  // a read since the host's last command
  uint64_t answeredAt = 0;
  uint64_t pausedMicros = 0;
};

double percentile(const std::vector<double>& sorted, double fraction) {
  const size_t rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: trace_turnaround TRACE\n", stderr);
    return 2;
  }
  std::vector<double> gaps;  // milliseconds
  try {
    std::map<std::string, PortState> ports;
    for (const QrEmu::TracedEvent& event : QrEmu::readTraceFile(argv[1])) {
      PortState& port = ports[event.port];
      if (event.event == "read") {
        port = {true, event.micros, 0};
      } else if (event.event == "pause") {
        port.pausedMicros += uint64_t{event.number} * 1000;
      } else if (event.event == "write") {
        if (port.answered) {
          const double gap = static_cast<double>(event.micros - port.answeredAt) -
                             static_cast<double>(port.pausedMicros);
          gaps.push_back(std::max(gap, 0.0) / 1000);
        }
        port.answered = false;
      } else if (event.event != "purge" && event.event != "rate") {
        port.answered = false;  // a time-out, an opening or a closing
      }
    }
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "trace_turnaround: %s\n", error.what());
    return 1;
  }
  if (gaps.empty()) {
    std::fputs("trace_turnaround: no answer followed by a command in the trace\n", stderr);
    return 1;
  }
  std::sort(gaps.begin(), gaps.end());
  std::printf("gaps         %zu\n", gaps.size());
  std::printf("p50          %.3f ms\n", percentile(gaps, 0.50));
  std::printf("p99          %.3f ms\n", percentile(gaps, 0.99));
  std::printf("max          %.3f ms\n", gaps.back());
  return 0;
}
