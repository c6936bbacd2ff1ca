#include <gtest/gtest.h>

#include "emulator/Display.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/ProtocolVersion.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

class IdentityModulesTest : public ::testing::Test {
 protected:
  Bytes exchange(const std::string& written) {
    display.receive(hex(written));
    return display.takeDue();
  }

  QrTest::ScopedVirtualClock clock;
  Display display{0x54, 0x0103};
  ProtocolVersion& version = (display.add<Identification>(), display.add<ProtocolVersion>());
};

TEST_F(IdentityModulesTest, IdentificationAnswersWithTheModelId) {
  EXPECT_EQ(exchange("FF"), hex("FE 54"));
  EXPECT_EQ(exchange("FF FF"), hex("FE 54 FE 54"));
  display.setMode(Mode::BootLoader);
  EXPECT_TRUE(exchange("FF").empty());
}

TEST_F(IdentityModulesTest, ProtocolVersionTakesTheHostsConfirmation) {
  EXPECT_EQ(exchange("0C"), hex("06 0C 01 03 16"));
  EXPECT_TRUE(exchange("06 16").empty());
  EXPECT_EQ(version.confirmations(), 1u);

  display.setProtocolVersion(0x0002);
  EXPECT_EQ(exchange("0C"), hex("06 0C 00 02 16"));
  // The host gave up on the answer and probes again: the probe is answered.
  EXPECT_EQ(exchange("FF"), hex("FE 54"));
  EXPECT_EQ(exchange("0C 06 FF"), hex("06 0C 00 02 16 FE 54"));
  EXPECT_EQ(version.confirmations(), 1u);
}

TEST_F(IdentityModulesTest, VersionZeroIgnoresTheRequest) {
  display.setProtocolVersion(0);
  EXPECT_TRUE(exchange("0C").empty());
  EXPECT_EQ(exchange("FF"), hex("FE 54"));
}

}  // namespace
}  // namespace QrEmu
