#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Module.h"

namespace QrEmu {

// One step of what a display in monitor mode reports: a line it shows with its cursor, or a
// key (current firmware only).
struct MonitorEvent {
  std::string line;  // text of the legacy line and the pocket reader; cells of the current firmware
  int cursor = 0;
  int key = -1;  // >= 0: a key report instead of a line
};

// A few lines, a cursor move on the same line and a key.
std::vector<MonitorEvent> sampleMonitorScript();

// The scripted stream of a display in monitor mode: once switched on, the display reports the
// script's events one interval apart, `repeats` times over. Whatever exchange the host starts
// while the stream runs ends it (the display leaves monitor mode to serve the host), and so
// does switching monitor mode off. Knobs are set under the display's lock.
class MonitorStream : public Module {
 public:
  std::vector<MonitorEvent> script = sampleMonitorScript();
  uint32_t intervalMs = 100;
  uint32_t repeats = 10;

  bool streaming() const { return streaming_; }
  // How often the stream has been started.
  uint32_t starts() const { return starts_; }

 protected:
  // Schedules `preamble` and then every event encoded by `encode`.
  template <typename Encode>
  void startStream(Display& display, const Bytes& preamble, Encode encode);
  void stopStream(Display& display);
  void schedule(Display& display, const std::vector<Bytes>& chunks);

 private:
  std::atomic<bool> streaming_{false};
  std::atomic<uint32_t> starts_{0};
};

template <typename Encode>
void MonitorStream::startStream(Display& display, const Bytes& preamble, Encode encode) {
  std::vector<Bytes> chunks;
  if (!preamble.empty()) chunks.push_back(preamble);
  for (uint32_t round = 0; round < repeats; ++round) {
    for (const MonitorEvent& event : script) {
      Bytes chunk = encode(event);
      if (!chunk.empty()) chunks.push_back(std::move(chunk));
    }
  }
  schedule(display, chunks);
}

}  // namespace QrEmu
