#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "qrcom/base/NativeSync.h"

namespace QrCom {
namespace {

TEST(SyncTest, ManualResetEventReleasesEveryWaiterAndStaysSetUntilReset) {
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
}

}  // namespace
}  // namespace QrCom
