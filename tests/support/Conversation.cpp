#include "tests/support/Conversation.h"

namespace QrTest {

Conversation::Conversation(ScriptedPort& port) : port_(port) {
  port_.setResponder([this](const Bytes& written, ScriptedPort&) { onWrite(written); });
}

Conversation& Conversation::then(std::function<void()> action) {
  steps_.back().action = std::move(action);
  return *this;
}

Conversation& Conversation::step(const std::string& host, const std::string& device) {
  steps_.push_back({hex(host), hex(device), nullptr});
  if (current_ == steps_.size() - 1) speakWhileHostIsSilent();
  return *this;
}

void Conversation::speakWhileHostIsSilent() {
  while (!diverged_ && current_ < steps_.size() && steps_[current_].host.size() == matched_) {
    if (steps_[current_].action) steps_[current_].action();
    port_.deliver(steps_[current_].device);
    ++current_;
    matched_ = 0;
  }
}

void Conversation::onWrite(const Bytes& written) {
  for (uint8_t byte : written) {
    if (diverged_) return;
    if (current_ >= steps_.size()) {
      diverged_ = true;
      divergence_ = "wrote " + toHex({byte}) + " after the last step";
      return;
    }
    const Bytes& expected = steps_[current_].host;
    if (expected[matched_] != byte) {
      diverged_ = true;
      divergence_ = "step " + std::to_string(current_) + " byte " + std::to_string(matched_) +
                    ": wrote " + toHex({byte}) + ", expected " + toHex({expected[matched_]});
      return;
    }
    ++matched_;
    speakWhileHostIsSilent();
  }
}

::testing::AssertionResult Conversation::finished() const {
  if (diverged_) return ::testing::AssertionFailure() << divergence_;
  if (current_ < steps_.size()) {
    return ::testing::AssertionFailure() << "stopped at step " << current_ << " of "
                                         << steps_.size() << " after " << matched_ << " bytes";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace QrTest
