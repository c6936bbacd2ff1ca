#include <gtest/gtest.h>

#include "emulator/Catalog.h"
#include "emulator/Display.h"
#include "emulator/modules/PacketSerialNumber.h"
#include "emulator/modules/ServiceInformation.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

using QrTest::ascii;

class IdentityQueryModulesTest : public ::testing::Test {
 protected:
  Bytes exchange(Display& display, const std::string& written) {
    display.receive(hex(written));
    return display.takeDue();
  }

  QrTest::ScopedVirtualClock clock;
};

TEST_F(IdentityQueryModulesTest, SerialNumberOverPackets) {
  DisplayIdentity identity;
  identity.serialNumber = "VAN-22-00417";
  auto display = makeDisplay(0x54, 0x0103, identity);
  Bytes answer = hex("79 54 0D 41");
  const Bytes serial = ascii("VAN-22-00417");
  answer.insert(answer.end(), serial.begin(), serial.end());
  answer.push_back(0x16);
  EXPECT_EQ(exchange(*display, "79 54 01 41 16"), answer);

  EXPECT_EQ(exchange(*display, "79 54 07 40 E8 41 42 2D 31 37 16"), hex("79 54 02 07 7E 16"));
  EXPECT_EQ(exchange(*display, "79 54 01 41 16"), hex("79 54 06 41 41 42 2D 31 37 16"));
  // A wrong checksum is refused.
  EXPECT_EQ(exchange(*display, "79 54 07 40 E9 41 42 2D 31 37 16"), hex("79 54 02 07 00 16"));
}

TEST_F(IdentityQueryModulesTest, SettingTheSerialNumberCanBeRefused) {
  auto fresh = std::make_unique<Display>(0x81, 0x0103);
  PacketSerialNumber& serial = fresh->add<PacketSerialNumber>("FNX-22-00417");
  serial.refuseSetting(true);
  EXPECT_EQ(exchange(*fresh, "79 81 07 40 E8 41 42 2D 31 37 16"), hex("79 81 02 07 00 16"));
  EXPECT_EQ(serial.serialNumber(), "FNX-22-00417");
}

TEST_F(IdentityQueryModulesTest, InfoModeOfTheOlderDisplays) {
  auto display = makeDisplay(68, 0);
  EXPECT_EQ(exchange(*display, "AE"), hex("4F"));
  EXPECT_EQ(exchange(*display, "49 4E 46 4F 20"), ascii("INFOI"));
  Bytes block = ascii("TIL-22-00417");
  block.resize(40, 0x00);
  EXPECT_EQ(exchange(*display, "4E"), block);
  EXPECT_EQ(exchange(*display, "FF"), hex("FE 44"));
}

TEST_F(IdentityQueryModulesTest, FirmwareVersionTellsWhichFirmwareRuns) {
  DisplayIdentity identity;
  identity.firmwareMajor = 3;
  identity.firmwareMinor = 12;
  auto display = makeDisplay(0x54, 0x0103, identity);
  EXPECT_EQ(exchange(*display, "79 54 01 C2 16"), hex("79 54 04 C2 03 0C 01 16"));
  display->setMode(Mode::Iap);
  EXPECT_EQ(exchange(*display, "79 54 01 C2 16"), hex("79 54 04 C2 03 0C 00 16"));
}

// A display left in its IAP loader is still found: the loader tells its model, protocol
// version and serial number, but takes no new serial number.
TEST_F(IdentityQueryModulesTest, TheIapLoaderTellsWhoTheDisplayIs) {
  DisplayIdentity identity;
  identity.serialNumber = "VAN-1";
  auto display = makeDisplay(0x54, 0x0103, identity);
  display->setMode(Mode::Iap);
  EXPECT_EQ(exchange(*display, "FF"), hex("FE 54"));
  EXPECT_EQ(exchange(*display, "0C"), hex("06 0C 01 03 16"));
  exchange(*display, "06 16");
  EXPECT_EQ(exchange(*display, "79 54 01 41 16"), hex("79 54 06 41 56 41 4E 2D 31 16"));
  EXPECT_TRUE(exchange(*display, "79 54 07 40 E8 41 42 2D 31 37 16").empty());
}

TEST_F(IdentityQueryModulesTest, BluetoothVariantOfTheFundo) {
  DisplayIdentity identity;
  identity.bluetooth = true;
  auto bluetooth = makeDisplay(0x81, 0x0103, identity);
  EXPECT_EQ(exchange(*bluetooth, "79 81 01 C1 16"),
            hex("79 81 0C C1 00 00 00 00 00 00 00 02 00 00 00 16"));
  auto cable = makeDisplay(0x81, 0x0103);
  EXPECT_EQ(exchange(*cable, "79 81 01 C1 16"),
            hex("79 81 0C C1 00 00 00 00 00 00 00 04 00 00 00 16"));
  auto vantra = makeDisplay(0x54, 0x0103);
  EXPECT_TRUE(exchange(*vantra, "79 54 01 C1 16").empty());
}

TEST_F(IdentityQueryModulesTest, ServiceInformationRecord) {
  const std::string record = "02 34 12 03 0B 07 0C 5F 01 64 06 59 09 0B 5A 03 00 00 00 00";
  DisplayIdentity identity;
  identity.serviceRecord = hex(record);
  auto display = makeDisplay(0x54, 0x0103, identity);
  EXPECT_EQ(exchange(*display, "79 54 01 31 16"), hex("79 54 15 31 " + record + " 16"));

  const std::string other = "01 00 00 0C 63 00 01 05 02 01 03 02 00 04 03 04 00 00 00 00";
  EXPECT_EQ(exchange(*display, "79 54 15 30 " + other + " 16"), hex("79 54 02 07 7E 16"));
  EXPECT_EQ(exchange(*display, "79 54 01 31 16"), hex("79 54 15 31 " + other + " 16"));
  EXPECT_EQ(exchange(*display, "79 54 03 30 01 02 16"), hex("79 54 02 07 00 16"));

  identity.serviceRecord.reset();
  auto withoutRecord = makeDisplay(0x54, 0x0103, identity);
  EXPECT_EQ(exchange(*withoutRecord, "79 54 01 31 16"), hex("FE"));
}

}  // namespace
}  // namespace QrEmu
