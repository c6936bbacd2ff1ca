#include "qrcom/base/Packet.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::hex;

TEST(PacketTest, TextFramesAcknowledgementsAndDataAnswers) {
  // The PIN frame: a checksum byte, then at most forty characters.
  EXPECT_EQ(QrTest::toHex(buildTextPacket(0x22, 0x40, std::wstring(45, L'A'))),
            "79 22 2A 40 D8 " + QrTest::toHex(QrTest::Bytes(40, 0x41)) + " 16");

  QrTest::VirtualClock clock;
  QrTest::ScriptedPort timed(&clock);
  // Bytes read, positive (only bytes 3 and 4 count), exactly 79 22 02 07 7E 16.
  for (const auto& [bytes, read] : {std::pair{"79 22 02 07 7E 16", "6 1 1"},
                                    {"79 22 02 07 00 16", "6 0 0"},
                                    {"00 00 00 07 7E 00", "6 1 0"}}) {
    timed.deliver(hex(bytes));
    const Acknowledgement ack = readAcknowledgement(timed);
    EXPECT_EQ(std::to_string(ack.received) + " " + std::to_string(ack.positive()) + " " +
                  std::to_string(ack.exactly(0x22) && !ack.exactly(0x54)),
              read);
  }
  // The header passes when one of start byte, id and type is right; the whole body must come.
  for (const auto& [bytes, payload] : {std::pair{"00 00 04 C2 33 2E 31 16", "3.1"},
                                       {"79 99 02 00 05 16", "\x05"},
                                       {"00 99 02 00 05 16", "refused"},
                                       {"79 22 05 C2 01 02", "refused"},
                                       {"79 22 05", "refused"}}) {
    timed.purge();
    timed.deliver(hex(bytes));
    DataAnswer answer;
    const bool read = readDataAnswer(timed, 0x22, 0xC2, answer);
    EXPECT_EQ(
        read ? std::string(answer.payload(), answer.payload() + answer.payloadSize()) : "refused",
        payload);
  }
}

}  // namespace
}  // namespace QrCom
