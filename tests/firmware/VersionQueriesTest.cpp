#include <gtest/gtest.h>

#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "tests/firmware/Script.h"
#include "tests/support/Services.h"

namespace QrCom::Versions {
namespace {

using QrTest::Script::run;

// Each answer in turn; a short or foreign one changes nothing, a port failure forgets.
TEST(IdentityQueriesTest, FirmwareVersionAndBluetoothVariant) {
  QrBrlOsFirmwareVersionRequestStrategy version(0x54);
  auto askVersion = [&](SerialPort& port) {
    version.requestFirmwareVersion(port);
    return QrTest::describe(version.clone()->getFirmwareVersion());
  };
  std::string versions;
  for (const std::string answer : {"04 C2 03 0C 01 16", "04 C2 03 0C 00 16", "04 C2 03 0C 07 16",
                                   "03 C2 FF 00 16", "02 C2 03 16"}) {
    versions += run("79 54 01 C2 16>79 54 " + answer, askVersion) + ", ";
  }
  EXPECT_EQ(versions, "3.12_normal_mode, 3.12_IAP_mode, 3.12, 255.0, 255.0, ");
  EXPECT_EQ(run("79 54 01 C2 16", askVersion).substr(0, 19), "CannotReadFromPort:");
  EXPECT_EQ(QrTest::Script::brief(QrTest::failure([&] { version.getFirmwareVersion(); })),
            "WrongProtocolVersion: getFirmwareVersion -- not supported");

  // 16 bytes, the low bits of byte 11 tell.
  QrBrlOsIsBluetoothVersionRequestStrategy bluetooth(0x8A);
  auto askVariant = [&](SerialPort& port) {
    bluetooth.requestBluetoothVersion(port);
    return std::string(bluetooth.clone()->isBluetoothVersion() ? "Bluetooth" : "USB");
  };
  std::string variants;
  for (const std::string answer :
       {"79 8A 0C C1 0 0 0 0 0 0 0 04 0 0 0 16", "79 8A 0C C1 0 0 0 0 0 0 0 02 0 0 0 16",
        "79 8A 0C C1 0 0 0 0 0 0 0 01 0 0 0 16", "78 8B 0C C2 0 0 0 0 0 0 0 04 0 0 0 16",
        "79 8A 0C C1 0 0 0 0 0 0 0 04 0 0 0"}) {
    variants += run("79 8A 01 C1 16>" + answer, askVariant) + ", ";
  }
  EXPECT_EQ(variants, "USB, Bluetooth, Bluetooth, Bluetooth, Bluetooth, ");
  EXPECT_EQ(run("79 8A 01 C1 16", askVariant).substr(0, 19), "CannotReadFromPort:");
  EXPECT_EQ(QrTest::Script::brief(QrTest::failure([&] { bluetooth.isBluetoothVersion(); })),
            "WrongProtocolVersion: isBluetoothVersion -- not supported");
  EXPECT_EQ(QrTest::claimedServices(version) + QrTest::claimedServices(bluetooth), "3637");
}

}  // namespace
}  // namespace QrCom::Versions
