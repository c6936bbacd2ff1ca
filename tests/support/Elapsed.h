#pragma once

#include <chrono>

namespace QrTest {

// Real time since `start`, for the tests that bound how long a real wait takes.
inline long long millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace QrTest
