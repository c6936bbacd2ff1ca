#include "tests/support/ScriptedHidDisplay.h"

#include <algorithm>

namespace QrTest {

ScriptedHidDisplay::ScriptedHidDisplay(VirtualClock& clock, uint8_t modelId, uint16_t version)
    : device_(std::make_shared<ScriptedHid>(clock)), modelId_(modelId), version_(version) {
  device_->setResponder([this](const Bytes& report, ScriptedHid&) { onReport(report); });
}

void ScriptedHidDisplay::setHandler(Handler handler) {
  std::lock_guard<std::mutex> guard(mutex_);
  handler_ = std::move(handler);
}

std::vector<ScriptedHidDisplay::Packet> ScriptedHidDisplay::packets() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return packets_;
}

void ScriptedHidDisplay::forgetPackets() {
  std::lock_guard<std::mutex> guard(mutex_);
  packets_.clear();
}

void ScriptedHidDisplay::answer(const Bytes& bytes) {
  for (size_t at = 0; at < bytes.size(); at += 62) {
    const size_t count = std::min<size_t>(62, bytes.size() - at);
    Bytes report(64, 0);
    report[0] = 0x01;
    report[1] = static_cast<uint8_t>(count);
    std::copy(bytes.begin() + at, bytes.begin() + at + count, report.begin() + 2);
    device_->deliver(report);
  }
}

void ScriptedHidDisplay::onReport(const Bytes& report) {
  if (report.size() < 2 || report[0] != 0x02) return;
  std::unique_lock<std::mutex> guard(mutex_);
  pending_.insert(pending_.end(), report.begin() + 2, report.begin() + 2 + report[1]);
  while (!pending_.empty()) {
    const uint8_t first = pending_.front();
    if (first == 0xFF) {
      answer({0xFE, modelId_});
    } else if (first == 0x0C) {
      answer(
          {0x06, 0x0C, static_cast<uint8_t>(version_ >> 8), static_cast<uint8_t>(version_), 0x16});
    } else if (first == 0x79) {
      if (pending_.size() < 3 || pending_.size() < pending_[2] + 4u) return;
      const size_t total = pending_[2] + 4u;
      Packet packet{pending_[3], Bytes(pending_.begin() + 4, pending_.begin() + total - 1)};
      pending_.erase(pending_.begin(), pending_.begin() + total);
      packets_.push_back(packet);
      Handler handler = handler_;
      guard.unlock();
      const Bytes reply = handler ? handler(packet) : Bytes();
      answer(reply);
      guard.lock();
      continue;
    }
    // Anything else (the host's confirmations 06 16) needs no answer.
    pending_.erase(pending_.begin());
  }
}

}  // namespace QrTest
