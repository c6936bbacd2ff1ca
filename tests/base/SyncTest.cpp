#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "qrcom/base/NativeSync.h"

namespace QrCom {
namespace {

TEST(SyncTest, ManualResetEventAndRecursiveMutex) {
  NativeEvent event;
  EXPECT_FALSE(event.wait(0));
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) waiters.emplace_back([&] { event.wait(), ++released; });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(released, 0);
  event.set();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(released, 3);
  EXPECT_TRUE(event.wait(0));
  event.reset();
  EXPECT_FALSE(event.wait(20));

  // The mutex is recursive and excludes other threads.
  NativeMutex mutex;
  std::atomic<bool> entered{false};
  mutex.lock();
  mutex.lock();
  std::thread other([&] {
    const QrLock lock(mutex);
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
