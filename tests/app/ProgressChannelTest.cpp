#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "app/ProgressChannel.h"

namespace QrApp {
namespace {

// Stands in for the user-interface thread's loop: counts wake-ups and lets the test wait
// for the next one.
class Waker {
 public:
  std::function<void()> callback() {
    return [this] {
      std::lock_guard<std::mutex> lock(mutex_);
      ++wakes_;
      woken_.notify_all();
    };
  }
  void waitFor(int wakes) {
    std::unique_lock<std::mutex> lock(mutex_);
    woken_.wait(lock, [&] { return wakes_ >= wakes; });
  }
  int wakes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return wakes_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  int wakes_ = 0;
};

using Displays = std::vector<std::pair<std::wstring, unsigned>>;

Displays take(ProgressChannel& channel) {
  Displays displays;
  for (const auto& display : channel.takeChanges()) {
    displays.emplace_back(display.status, display.percent);
  }
  return displays;
}

TEST(ProgressChannelTest, KeepsEveryStatusAndTheLatestPercentAfterIt) {
  Waker waker;
  ProgressChannel channel(waker.callback());
  channel.setPercent(3);
  channel.setStatus(L"Sending message file...");
  channel.setPercent(5);
  channel.setPercent(250);  // the bar's range ends at 100
  channel.setStatus(L"Sending help file\u2026");
  channel.setStatus(L"Sending Braille table\u2026");
  EXPECT_EQ(take(channel), (Displays{{L"", 3},
                                     {L"Sending message file...", 3},
                                     {L"Sending message file...", 100},
                                     {L"Sending help file\u2026", 100},
                                     {L"Sending Braille table\u2026", 100}}));
  EXPECT_TRUE(take(channel).empty());
  channel.setPercent(7);
  EXPECT_EQ(take(channel), (Displays{{L"Sending Braille table\u2026", 7}}));
  EXPECT_EQ(waker.wakes(), 7);
}

TEST(ProgressChannelTest, TheFirstEndCounts) {
  Waker waker;
  ProgressChannel channel(waker.callback());
  channel.end(-1);
  channel.end(0);
  EXPECT_EQ(channel.state().result, -1);
}

TEST(ProgressChannelTest, RetryQuestionBlocksTheWorkerUntilAnswered) {
  Waker waker;
  ProgressChannel channel(waker.callback());
  channel.answerRetry(true);  // nothing asked yet: no effect on the next question
  for (const bool answer : {true, false}) {
    const int wakes = waker.wakes();
    std::future<bool> worker = std::async(std::launch::async, [&] { return channel.askRetry(); });
    waker.waitFor(wakes + 1);
    ASSERT_TRUE(channel.state().retryAsked);
    channel.answerRetry(answer);
    EXPECT_FALSE(channel.state().retryAsked);  // answered: not to be asked again
    EXPECT_EQ(worker.get(), answer);
  }
}

TEST(ProgressChannelTest, ClosingAnswersCancelAndIgnoresLaterChanges) {
  Waker waker;
  ProgressChannel channel(waker.callback());
  std::future<bool> worker = std::async(std::launch::async, [&] { return channel.askRetry(); });
  waker.waitFor(1);
  channel.close();
  EXPECT_FALSE(worker.get());

  EXPECT_FALSE(channel.askRetry());
  channel.setStatus(L"late");
  channel.setPercent(50);
  channel.end(0);
  EXPECT_EQ(waker.wakes(), 1);
  EXPECT_FALSE(channel.state().result);
  EXPECT_TRUE(take(channel).empty());
}

}  // namespace
TEST(ProgressChannelTest, AMessageBlocksTheWorkerUntilShownAndIsDroppedOnceClosed) {
  Waker waker;
  ProgressChannel channel(waker.callback());
  channel.setStatus(L"Sending Braille table\u2026");
  std::future<void> worker = std::async(
      std::launch::async, [&] { channel.showMessage(L"No space", MessageKind::Information); });
  waker.waitFor(2);
  // What the worker reported before the message is there to be shown first.
  EXPECT_EQ(take(channel), (Displays{{L"Sending Braille table\u2026", 0}}));
  ASSERT_TRUE(channel.state().message);
  EXPECT_EQ(channel.state().message->text, L"No space");
  EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
  channel.messageShown();
  worker.get();
  EXPECT_FALSE(channel.state().message);

  channel.close();
  channel.showMessage(L"late", MessageKind::Information);  // returns at once
  EXPECT_FALSE(channel.state().message);
}

}  // namespace QrApp
