#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/Bytes.h"
#include "emulator/Display.h"
#include "emulator/Module.h"
#include "emulator/replay/TraceFile.h"

namespace QrEmu {

// A display that answers exactly as a recorded one did. The host's bytes are matched against
// what the recorded host wrote; each recorded write that is complete releases what the recorded
// display answered before the host's next write. An answer that came only after the host had
// purged or timed out is held back as long as it was then. A recording whose USB-HID path
// changed (a restart) makes the display leave the bus after that answer. Bytes that differ
// from the recording end the replay: the display falls silent and keeps the first divergence.
class Replay : public Module {
 public:
  struct Divergence {
    uint64_t offset = 0;  // of the host's first differing byte, counted over all its bytes
    size_t line = 0;      // the trace line of the write that differs
    Bytes expected;       // the recording from that byte on (up to 16 bytes)
    Bytes got;            // what the host sent instead (up to 16 bytes)
  };

  // Only the ports that got an answer take part: probes of other ports are left out.
  explicit Replay(const std::vector<TracedEvent>& events);

  bool onByte(Display& display, uint8_t byte) override;
  // Releases what the display said before the host's first write (at the latest when the host
  // first writes).
  void begin(Display& display);

  // Called once, at the first divergence, under the display's lock.
  void setOnDivergence(std::function<void()> onDivergence);
  std::optional<Divergence> divergence() const { return divergence_; }
  // Every recorded write was matched.
  bool complete() const { return step_ == steps_.size() && !divergence_; }
  // One line for the user: the divergence, where the host stopped, or that all matched.
  std::string report() const;

 private:
  struct Step {
    Bytes host;
    size_t line = 0;
    Bytes answer;
    uint32_t answerDelayMs = 0;
    bool leavesUsb = false;
  };

  void diverge(uint8_t byte);
  void release(Display& display);

  std::vector<Step> steps_;
  size_t step_ = 0;
  size_t position_ = 0;  // in the step's host bytes
  uint64_t offset_ = 0;
  uint64_t total_ = 0;
  std::optional<Divergence> divergence_;
  std::function<void()> onDivergence_;
};

// A display whose only module is a replay of `events` (on USB-HID, the recording's product id
// is its model id). `replay` points to the module, owned by the display.
std::unique_ptr<Display> makeReplayDisplay(const std::vector<TracedEvent>& events, Replay** replay);

}  // namespace QrEmu
