#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "qrcom/base/NativeSync.h"

namespace QrCom {
namespace {

TEST(SyncTest, ManualResetEventReleasesEveryWaiterAndStaysSetUntilResetMutexKeepsThemOut) {
  NativeEvent event;
  NativeMutex mutex;
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      event.wait();
      std::lock_guard<NativeMutex> hold(mutex);
      ++released;
    });
  }
  mutex.lock();
  event.set();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(released, 0) << "the mutex is held";
  mutex.unlock();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(released, 3);
  EXPECT_TRUE(event.wait(0));
  event.reset();
  EXPECT_FALSE(event.wait(20));
}

}  // namespace
}  // namespace QrCom
