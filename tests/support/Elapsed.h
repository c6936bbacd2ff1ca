#pragma once

#include <chrono>
#include <thread>

namespace QrTest {

// Real time since `start`, for the tests that bound how long a real wait takes.
inline long long millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// Whether `check` holds within `seconds` of real time, looking every 25 ms.
template <typename Check>
bool within(int seconds, Check check) {
  for (int i = 0; i < seconds * 40 && !check(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return check();
}

}  // namespace QrTest
