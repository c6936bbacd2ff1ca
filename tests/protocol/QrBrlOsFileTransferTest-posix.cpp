#include <gtest/gtest.h>

#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

// A device node has no file time to stamp the header with: the clock's local time serves.
TEST(QrBrlOsFileTransferPosixTest, HeaderWithoutFileTimeTakesTheCurrentTime) {
  ScopedVirtualClock clock;  // 2024-05-06 07:08:09
  play({{"/dev/null as N", doing([](SerialPort& port) {
           QrBrlOsFileTransferStrategy(0x54).receiveFile(port, nullptr, L"/dev/null", L"N", 0, 1,
                                                         nullptr);
         }),
         diskSpace("00 00 00 00 00 01 00 00 00 00 00 00 00 00 10 00") +
             block("0C 00 1C 4E 05 07 E8 05 06 07 08 09 01 0F 16") + kEndOfFile}});
}

}  // namespace
}  // namespace QrCom
