#pragma once

#include <string>

namespace QrTest {

// The service ids from 0 to 63 that `strategy` claims, as "4 5 6".
template <typename Strategy>
std::string claimedServices(const Strategy& strategy) {
  std::string ids;
  for (int id = 0; id < 64; ++id) {
    if (strategy.supportsService(id)) ids += (ids.empty() ? "" : " ") + std::to_string(id);
  }
  return ids;
}

}  // namespace QrTest
