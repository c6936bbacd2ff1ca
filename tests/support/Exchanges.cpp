#include "tests/support/Exchanges.h"

#include <gtest/gtest.h>

#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"

namespace QrTest {

void replay(const std::vector<Exchange>& exchanges) {
  for (const Exchange& exchange : exchanges) {
    SCOPED_TRACE(exchange.name);
    ScriptedPort port;
    Conversation display(port);
    for (const auto& [host, answer] : exchange.steps) display.step(host, answer);
    EXPECT_EQ(failure([&] { exchange.operation(port); }), exchange.outcome);
    EXPECT_TRUE(display.finished());
  }
}

}  // namespace QrTest
