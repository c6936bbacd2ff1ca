#include <gtest/gtest.h>

#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::operator+;

// A device node has no file time to stamp the header with: the clock's local time serves.
TEST(QrBrlOsFileTransferPosixTest, HeaderWithoutFileTimeTakesTheCurrentTime) {
  QrTest::ScopedVirtualClock clock;  // 2024-05-06 07:08:09
  QrTest::play(
      {{"/dev/null as N", QrTest::doing([](SerialPort& port) {
          QrBrlOsFileTransferStrategy(0x54).receiveFile(port, nullptr, L"/dev/null", L"N", 0, 1,
                                                        nullptr);
        }),
        QrTest::diskSpace("00 00 00 00 00 01 00 00 00 00 00 00 00 00 10 00") +
            QrTest::block("0C 00 1C 4E 05 07 E8 05 06 07 08 09 01 0F 16") + QrTest::kEndOfFile}});
}

}  // namespace
}  // namespace QrCom
