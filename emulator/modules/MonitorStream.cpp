#include "emulator/modules/MonitorStream.h"

#include "emulator/Display.h"

namespace QrEmu {

std::vector<MonitorEvent> sampleMonitorScript() {
  return {{"Quorlin ready", 1, -1},
          {"Quorlin ready", 8, -1},
          {"", 0, 0x21},
          {"Files: letter.txt", 0, -1}};
}

void MonitorStream::schedule(Display& display, const std::vector<Bytes>& chunks) {
  display.discardPending();
  for (size_t i = 0; i < chunks.size(); ++i) {
    display.send(chunks[i], static_cast<uint32_t>((i + 1) * intervalMs));
  }
  streaming_ = true;
  ++starts_;
}

void MonitorStream::stopStream(Display& display) {
  if (!streaming_) return;
  display.discardPending();
  streaming_ = false;
}

}  // namespace QrEmu
