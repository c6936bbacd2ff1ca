#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "qrcom/port/SerialPort.h"

namespace QrTest {

// One golden exchange of a protocol operation: the bytes the host must write, in hex, each with
// the display's answer ("" for none; a step with no host bytes is the display speaking first),
// and how the operation ends: "(no failure)", or failure()'s "Class: message".
struct Exchange {
  std::string name;
  std::function<void(QrCom::SerialPort& port)> operation;
  std::vector<std::pair<std::string, std::string>> steps;
  std::string outcome = "(no failure)";
};

// Plays each exchange on a fresh COM-like ScriptedPort and checks that the host wrote exactly
// the script and that the operation ended as given.
void replay(const std::vector<Exchange>& exchanges);

}  // namespace QrTest
