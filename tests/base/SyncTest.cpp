#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "qrcom/base/NativeSync.h"

namespace QrCom {
namespace {

TEST(SyncTest, ManualResetEventStaysSetForEveryWaiterUntilReset) {
  NativeEvent event;
  EXPECT_FALSE(event.wait(0));
  event.set();
  std::vector<std::thread> waiters;
  std::atomic<int> released{0};
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      event.wait();
      ++released;
    });
  }
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(released, 4);
  EXPECT_TRUE(event.wait(0));
  event.reset();
  EXPECT_FALSE(event.wait(20));
}

TEST(SyncTest, EventReleasesAWaitingThread) {
  NativeEvent event;
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    event.wait();
    woke = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(woke);
  event.set();
  waiter.join();
  EXPECT_TRUE(woke);
}

TEST(SyncTest, MutexIsRecursiveAndExcludesOtherThreads) {
  NativeMutex mutex;
  std::atomic<bool> entered{false};
  mutex.lock();
  mutex.lock();
  std::thread other([&] {
    QrLock lock(mutex);
    entered = true;
  });
  mutex.unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(entered);  // still held once
  mutex.unlock();
  other.join();
  EXPECT_TRUE(entered);
}

}  // namespace
}  // namespace QrCom
