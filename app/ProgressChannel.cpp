#include "app/ProgressChannel.h"

#include <utility>

namespace QrApp {

ProgressChannel::ProgressChannel(std::function<void()> wake) : wake_(std::move(wake)) {}

ProgressChannel::State ProgressChannel::state() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

template <typename Change>
void ProgressChannel::update(Change change) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    change();
  }
  if (wake_) wake_();
}

std::vector<ProgressChannel::Display> ProgressChannel::takeChanges() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Display> changes;
  changes.swap(changes_);
  lastChangeIsPercent_ = false;
  return changes;
}

void ProgressChannel::setStatus(const std::wstring& text) {
  update([&] {
    state_.display.status = text;
    changes_.push_back(state_.display);
    lastChangeIsPercent_ = false;
  });
}

void ProgressChannel::setPercent(unsigned percent) {
  update([&] {
    state_.display.percent = percent > 100 ? 100 : percent;
    if (lastChangeIsPercent_) {
      changes_.back() = state_.display;
    } else {
      changes_.push_back(state_.display);
      lastChangeIsPercent_ = true;
    }
  });
}

void ProgressChannel::end(int result) {
  update([&] {
    if (!state_.result) state_.result = result;
  });
}

bool ProgressChannel::askRetry() {
  update([&] {
    state_.retryAsked = true;
    answer_.reset();
  });
  std::unique_lock<std::mutex> lock(mutex_);
  answered_.wait(lock, [&] { return closed_ || answer_.has_value(); });
  return !closed_ && *answer_;
}

void ProgressChannel::answerRetry(bool retry) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!state_.retryAsked) return;
    state_.retryAsked = false;
    answer_ = retry;
  }
  answered_.notify_all();
}

void ProgressChannel::showMessage(const std::wstring& text, MessageKind kind) {
  update([&] { state_.message = Message{text, kind}; });
  std::unique_lock<std::mutex> lock(mutex_);
  answered_.wait(lock, [&] { return closed_ || !state_.message; });
}

void ProgressChannel::messageShown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.message.reset();
  }
  answered_.notify_all();
}

void ProgressChannel::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  answered_.notify_all();
}

}  // namespace QrApp
