#include "emulator/replay/Replay.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "emulator/modules/IapLoader.h"

namespace QrEmu {

namespace {

constexpr size_t kShown = 16;
// An answer held back for the host's purge or time-out comes this much after it.
constexpr uint32_t kAfterWaitMs = 10;

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool isHidPath(const std::string& port) {
  return lowered(port).find("hid#") != std::string::npos;
}

// The product id of the recording's first USB-HID path ("…pid_0054…"), 0 without one.
uint8_t recordedModelId(const std::vector<TracedEvent>& events) {
  for (const TracedEvent& event : events) {
    const std::string port = lowered(event.port);
    const size_t pid = port.find("pid_");
    if (event.event == "open" && isHidPath(port) && pid != std::string::npos) {
      return static_cast<uint8_t>(std::strtoul(port.c_str() + pid + 4, nullptr, 16));
    }
  }
  return 0;
}

Bytes slice(const Bytes& bytes, size_t from) {
  const size_t end = std::min(bytes.size(), from + kShown);
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, end)),
               bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace

Replay::Replay(const std::vector<TracedEvent>& events) {
  std::set<std::string> answered;
  for (const TracedEvent& event : events) {
    if (event.event == "read") answered.insert(event.port);
  }
  // The display speaking first gets a step with no host bytes, released at once.
  steps_.emplace_back();
  std::string lastOpened;
  uint64_t writtenAt = 0;
  uint64_t waitedUntil = 0;  // the host's last purge or time-out after its last write
  bool waited = false;
  for (const TracedEvent& event : events) {
    if (answered.count(event.port) == 0) continue;
    if (event.event == "write") {
      steps_.push_back({event.bytes, event.line, {}, 0, false});
      total_ += event.bytes.size();
      writtenAt = event.micros;
      waited = false;
    } else if (event.event == "read") {
      Step& step = steps_.back();
      if (step.answer.empty() && waited) {
        step.answerDelayMs = static_cast<uint32_t>((waitedUntil - writtenAt) / 1000) + kAfterWaitMs;
      }
      step.answer.insert(step.answer.end(), event.bytes.begin(), event.bytes.end());
    } else if (event.event == "purge" || event.event == "timeout") {
      waitedUntil = event.micros;
      waited = true;
    } else if (event.event == "open") {
      if (!lastOpened.empty() && event.port != lastOpened && isHidPath(event.port)) {
        steps_.back().leavesUsb = true;
      }
      lastOpened = event.port;
    }
  }
}

bool Replay::onByte(Display& display, uint8_t byte) {
  begin(display);
  if (divergence_) {
    if (divergence_->got.size() < kShown) divergence_->got.push_back(byte);
    return true;
  }
  if (step_ == steps_.size() || steps_[step_].host[position_] != byte) {
    diverge(byte);
    return true;
  }
  ++offset_;
  if (++position_ == steps_[step_].host.size()) release(display);
  return true;
}

void Replay::begin(Display& display) {
  if (step_ == 0) release(display);
}

// Releases the answers of the step just completed and of those after it without host bytes.
void Replay::release(Display& display) {
  do {
    const Step& done = steps_[step_++];
    position_ = 0;
    if (!done.answer.empty()) display.send(done.answer, done.answerDelayMs);
    if (done.leavesUsb) display.leaveUsb(IapLoader::kAwayMs);
  } while (step_ < steps_.size() && steps_[step_].host.empty());
}

void Replay::setOnDivergence(std::function<void()> onDivergence) {
  onDivergence_ = std::move(onDivergence);
}

void Replay::diverge(uint8_t byte) {
  Divergence divergence;
  divergence.offset = offset_;
  divergence.got = {byte};
  if (step_ < steps_.size()) {
    divergence.line = steps_[step_].line;
    divergence.expected = slice(steps_[step_].host, position_);
  }
  divergence_ = divergence;
  if (onDivergence_) onDivergence_();
}

std::string Replay::report() const {
  if (divergence_) {
    return "the host's byte " + std::to_string(divergence_->offset) +
           (divergence_->line > 0
                ? " differs from trace line " + std::to_string(divergence_->line) + ": expected " +
                      toHex(divergence_->expected)
                : " goes beyond the recording: expected nothing") +
           ", got " + toHex(divergence_->got);
  }
  if (step_ < steps_.size()) {
    return "the host stopped after " + std::to_string(offset_) + " of " + std::to_string(total_) +
           " bytes; trace line " + std::to_string(steps_[step_].line) + " expects " +
           toHex(slice(steps_[step_].host, position_));
  }
  return "all " + std::to_string(total_) + " bytes the host wrote match the trace";
}

std::unique_ptr<Display> makeReplayDisplay(const std::vector<TracedEvent>& events,
                                           Replay** replay) {
  auto display = std::make_unique<Display>(recordedModelId(events), 0);
  Replay& added = display->add<Replay>(events);
  {
    auto guard = display->lock();
    added.begin(*display);
  }
  if (replay != nullptr) *replay = &added;
  return display;
}

}  // namespace QrEmu
