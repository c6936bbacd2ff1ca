#include "emulator/Expectation.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedPort.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// Feeds bytes until the step completes; returns how many it took.
size_t feed(Expectation& step, const Bytes& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (step.take(bytes[i])) {
      step.finish();
      return i + 1;
    }
  }
  return 0;
}

TEST(ExpectationTest, PacketLengthComesFromItsHeader) {
  Packet seen;
  auto step = expectPacket([&seen](const Packet& packet) { seen = packet; });
  EXPECT_EQ(feed(*step, hex("79 54 03 46 AA BB 16 FF")), 7u);
  EXPECT_TRUE(seen.wellFormed());
  EXPECT_EQ(seen.modelId, 0x54);
  EXPECT_EQ(seen.type, 0x46);
  EXPECT_EQ(seen.payload, hex("AA BB"));

  auto started = expectPacket([&seen](const Packet& packet) { seen = packet; }, true);
  EXPECT_EQ(feed(*started, hex("22 01 C2 16")), 4u);
  EXPECT_TRUE(seen.wellFormed());
  EXPECT_EQ(seen.type, 0xC2);
  EXPECT_TRUE(seen.payload.empty());
}

TEST(ExpectationTest, MalformedPacketsCompleteButAreNotWellFormed) {
  Packet seen;
  auto wrongEnd = expectPacket([&seen](const Packet& packet) { seen = packet; });
  EXPECT_EQ(feed(*wrongEnd, hex("79 54 01 C2 17")), 5u);
  EXPECT_FALSE(seen.wellFormed());

  auto noType = expectPacket([&seen](const Packet& packet) { seen = packet; });
  EXPECT_EQ(feed(*noType, hex("79 54 00 16")), 4u);
  EXPECT_FALSE(seen.wellFormed());
}

TEST(ExpectationTest, FrameLengthIsLittleEndianAndExcludesSync) {
  Frame seen;
  auto step = expectFrame([&seen](const Frame& frame) { seen = frame; });
  Bytes wire = hex("03 01");  // 259 body bytes
  for (int i = 0; i < 259; ++i) wire.push_back(static_cast<uint8_t>(i));
  wire.push_back(0x16);
  EXPECT_EQ(feed(*step, wire), 262u);
  EXPECT_TRUE(seen.wellFormed());
  ASSERT_EQ(seen.body.size(), 259u);
  EXPECT_EQ(seen.body[258], 2);

  auto empty = expectFrame([&seen](const Frame& frame) { seen = frame; });
  EXPECT_EQ(feed(*empty, hex("00 00 15")), 3u);
  EXPECT_TRUE(seen.body.empty());
  EXPECT_FALSE(seen.wellFormed());
}

TEST(ExpectationTest, FixedCounts) {
  Bytes seen;
  auto bytes = expectBytes(3, [&seen](const Bytes& got) { seen = got; });
  EXPECT_EQ(feed(*bytes, hex("49 4E 46 4F")), 3u);
  EXPECT_EQ(seen, hex("49 4E 46"));

  uint8_t one = 0;
  auto single = expectOneByte([&one](uint8_t byte) { one = byte; });
  EXPECT_EQ(feed(*single, hex("AE")), 1u);
  EXPECT_EQ(one, 0xAE);

  EXPECT_THROW(expectBytes(0, [](const Bytes&) {}), std::invalid_argument);
}

}  // namespace
}  // namespace QrEmu
