#pragma once

// Golden exchanges written on one line: steps "host bytes>display answer" joined by ",", text
// in quotes ('INFO ' for 49 4E 46 4F 20); a step without host bytes is the display speaking
// first, a "!" after a step runs `mark` once the host has written it.
#include <functional>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"

namespace QrTest::OneLine {

inline std::string repeat(const std::string& step, int times) {
  std::string steps;
  while (times-- > 0) steps += step + ",";
  return steps;
}

inline void play(Conversation& display, const std::string& script,
                 const std::function<void()>& mark = nullptr) {
  std::istringstream steps(script);
  for (std::string step; std::getline(steps, step, ',');) {
    std::smatch text;
    while (std::regex_search(step, text, std::regex("'([^']*)'"))) {
      step.replace(text.position(0), text.length(0), toHex(ascii(text[1])));
    }
    const size_t arrow = step.find('>'), end = step.find('!');
    display.step(step.substr(0, std::min(arrow, end)),
                 arrow == std::string::npos ? "" : step.substr(arrow + 1, end - arrow - 1));
    if (end != std::string::npos) display.then(mark);
  }
}

// `outcome` without the strategies' class names and with the not-supported text shortened.
inline std::string brief(const std::string& outcome) {
  const std::string text = std::regex_replace(outcome, std::regex("\\w+Strategy::"), "");
  return std::regex_replace(text, std::regex(" -- Service isn't supported.*device\\."),
                            " -- not supported");
}

// What `operation` returns, or its brief failure(), on a port of `kind` (or on `given`) that
// plays `script`; then the step the display stopped at when the host did not keep to the
// script, and what was left unread.
inline std::string run(const std::string& script,
                       const std::function<std::string(QrCom::SerialPort&)>& operation,
                       ScriptedPort::Kind kind = ScriptedPort::Kind::Com,
                       VirtualClock* clock = nullptr, ScriptedPort* given = nullptr) {
  ScriptedPort own(clock, kind);
  ScriptedPort& port = given != nullptr ? *given : own;
  Conversation display(port);
  play(display, script);
  std::string value;
  const std::string outcome = failure([&] { value = operation(port); });
  const ::testing::AssertionResult finished = display.finished();
  std::string result = brief(outcome == "(no failure)" ? value : outcome) + finished.message();
  return port.pending() == 0 ? result : result + " +" + std::to_string(port.pending()) + " unread";
}

}  // namespace QrTest::OneLine
