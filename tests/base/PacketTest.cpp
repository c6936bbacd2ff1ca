#include "qrcom/base/Packet.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::hex;
using QrTest::ScriptedPort;

TEST(PacketTest, CommandAndTextFrames) {
  EXPECT_EQ(buildPacket(0x22, 0xC2), hex("79 22 01 C2 16"));
  EXPECT_EQ(buildPacket(0x54, 0x0B, {1}), hex("79 54 02 0B 01 16"));
  // The PIN frame: a checksum byte, then at most forty characters.
  EXPECT_EQ(buildTextPacket(0x22, 0x46, L"1234"), hex("79 22 06 46 36 31 32 33 34 16"));
  EXPECT_EQ(buildTextPacket(0x22, 0x40, L""), hex("79 22 02 40 00 16"));
  const QrTest::Bytes cut = buildTextPacket(0x22, 0x40, std::wstring(45, L'A'));
  ASSERT_EQ(cut.size(), 46u);
  EXPECT_EQ(cut[2], 42);
  EXPECT_EQ(cut[4], static_cast<uint8_t>(-(40 * 0x41)));
  EXPECT_EQ(cut[45], 0x16);
}

TEST(PacketTest, SendPurgesThenWritesTheFrameInOneCall) {
  ScriptedPort port;
  port.deliver(hex("AA BB"));
  sendPacket(port, hex("79 22 01 C2 16"));
  ASSERT_EQ(port.calls().size(), 2u);
  EXPECT_EQ(port.calls()[0].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(port.calls()[1].bytes, hex("79 22 01 C2 16"));
  EXPECT_EQ(port.pending(), 0u);
}

TEST(PacketTest, AcknowledgementIsPositiveOnlyForTypeSevenAndCode7E) {
  QrTest::VirtualClock clock;
  ScriptedPort port(&clock);
  port.deliver(hex("79 22 02 07 7E 16"));
  const Acknowledgement positive = readAcknowledgement(port);
  EXPECT_TRUE(positive.exactly(0x22));
  EXPECT_FALSE(positive.exactly(0x54));
  port.deliver(hex("79 22 02 07 00 16"));
  EXPECT_FALSE(readAcknowledgement(port).positive());
  port.deliver(hex("79 22 02"));  // the rest never comes
  const Acknowledgement shortRead = readAcknowledgement(port);
  EXPECT_EQ(shortRead.received, 3u);
  EXPECT_FALSE(shortRead.positive());
  port.deliver(hex("00 00 00 07 7E 00"));  // only bytes 3 and 4 count
  const Acknowledgement sloppy = readAcknowledgement(port);
  EXPECT_TRUE(sloppy.positive());
  EXPECT_FALSE(sloppy.exactly(0x22));
}

TEST(PacketTest, DataAnswerHeaderNeedsOnlyOneOfThreeFieldsAndTheWholeBody) {
  QrTest::VirtualClock clock;
  ScriptedPort port(&clock);
  DataAnswer answer;
  port.deliver(hex("00 00 04 C2 33 2E 31 16"));  // wrong start byte and id, right type
  ASSERT_TRUE(readDataAnswer(port, 0x22, 0xC2, answer));
  EXPECT_EQ(std::string(answer.payload(), answer.payload() + answer.payloadSize()), "3.1");
  port.deliver(hex("79 99 02 00 05 16"));  // only the start byte is right
  EXPECT_TRUE(readDataAnswer(port, 0x22, 0xC2, answer));
  for (const char* refused : {"00 99 02 00 05 16", "79 22 05 C2 01 02", "79 22 05"}) {
    port.purge();
    port.deliver(hex(refused));
    EXPECT_FALSE(readDataAnswer(port, 0x22, 0xC2, answer)) << refused;
  }
}

TEST(PacketTest, WaitForFrameStartSkipsOtherBytesAndTimesOutOnTheClock) {
  QrTest::ScopedVirtualClock clock;
  ScriptedPort port(&*clock);
  uint8_t last = 0xAA;
  port.deliver(hex("5B 01 79 22"));
  EXPECT_TRUE(waitForFrameStart(port, 1000, last));
  EXPECT_EQ(last, 0x79);
  EXPECT_EQ(port.pending(), 1u);
  port.purge();
  const uint64_t start = clock->now();
  EXPECT_FALSE(waitForFrameStart(port, 10000, last));
  EXPECT_EQ(last, 0);
  EXPECT_GE(clock->now() - start, 10000u);
  EXPECT_TRUE(clock->pauses().empty());
}

}  // namespace
}  // namespace QrCom
