#include <gtest/gtest.h>

#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Conversation;
using QrTest::ScriptedPort;
using QrTest::toHex;

// A device node has no file time to stamp the header with; the clock's time serves.
TEST(QrBrlOsFileTransferPosixTest, HeaderWithoutFileTimeTakesTheCurrentTime) {
  QrTest::ScopedVirtualClock clock;
  CalendarTime now;
  now.year = 2031;
  now.month = 12;
  now.day = 24;
  now.hour = 18;
  now.minute = 30;
  now.second = 5;
  clock->setLocalTime(now);
  ScriptedPort port(&*clock);
  Conversation device(port);
  device.step("25", "06 25 00 00 00 00 00 01 00 00 00 00 00 00 00 00 10 00 16")
      .step("06 16")
      .step("03", "06 03")
      .step("0C 00 1C 4E 05 07 EF 0C 18 12 1E 05 01 0F 16", "06 16")
      .step("04", "06 04");
  QrBrlOsFileTransferStrategy strategy(0x54);
  strategy.receiveFile(port, nullptr, L"/dev/null", L"N", 0, 1, nullptr);
  EXPECT_TRUE(device.finished());
}

}  // namespace
}  // namespace QrCom
