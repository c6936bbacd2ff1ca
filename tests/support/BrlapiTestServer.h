#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace QrTest {

// A screen reader's daemon as BrlAPI clients see it, on a loopback TCP port: protocol version 8,
// no authorisation, a driver named "TestDriver" that it suspends and resumes on request. It
// records what it was asked ("name", "suspend DRIVER", "resume") and tells `onDriver` whether
// its driver is to run (false before it acknowledges a suspension, true before a resume);
// `onDriver` answers whether the driver has its device ("resume (device busy)" when not).
class BrlapiTestServer {
 public:
  // A silent server accepts connections and says nothing.
  explicit BrlapiTestServer(std::function<bool(bool run)> onDriver = {}, bool silent = false);
  ~BrlapiTestServer();
  BrlapiTestServer(const BrlapiTestServer&) = delete;
  BrlapiTestServer& operator=(const BrlapiTestServer&) = delete;

  // The server as a BrlAPI client names it.
  std::string host() const;
  std::vector<std::string> requests() const;

 private:
  void serve();
  // Answers one packet from `client`; false when the client went away.
  bool answer(int client);

  const std::function<bool(bool)> onDriver_;
  const bool silent_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace QrTest
