#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"

namespace QrTest {

// Plays the device's side of a scripted exchange on a ScriptedPort. Each step names the exact
// bytes the host must write next and what the device answers once they are complete, so the
// script does not depend on how the host splits its writes. After the first byte that differs
// from the script the device falls silent.
class Conversation {
 public:
  explicit Conversation(ScriptedPort& port);

  // host: the bytes the host writes ("03"); device: the answer ("06 03"), may be empty. A step
  // with no host bytes is the device speaking first (before any write, or right after the
  // previous step's answer).
  Conversation& step(const std::string& host, const std::string& device = "");
  // Runs `action` when the host has written the last step's bytes, before the device answers
  // (a user cancelling at that moment, for example).
  Conversation& then(std::function<void()> action);

  // Every step played and nothing written beyond the script.
  ::testing::AssertionResult finished() const;

 private:
  struct Step {
    Bytes host;
    Bytes device;
    std::function<void()> action;
  };

  void onWrite(const Bytes& written);
  void speakWhileHostIsSilent();

  ScriptedPort& port_;
  std::vector<Step> steps_;
  size_t current_ = 0;
  size_t matched_ = 0;  // bytes of the current step's host part written so far
  bool diverged_ = false;
  std::string divergence_;
};

}  // namespace QrTest
