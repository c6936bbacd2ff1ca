#include <gtest/gtest.h>

#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "tests/firmware/Script.h"
#include "tests/support/Services.h"

namespace QrCom::Versions {
namespace {

using QrTest::Script::run;

TEST(IdentityQueriesTest, FirmwareVersionAndBluetoothVariant) {
  QrBrlOsFirmwareVersionRequestStrategy version(0x54);
  auto versionFrom = [&](const std::string& answer) {
    return run("79 54 01 C2 16>" + answer, [&](SerialPort& port) {
      version.requestFirmwareVersion(port);
      return QrTest::describe(version.clone()->getFirmwareVersion());
    });
  };
  const std::string none =
      "WrongProtocolVersion: QrBrlOsFirmwareVersionRequestStrategy::"
      "getFirmwareVersion -- Service isn't supported for currently selected device.";
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 01 16"), "3.12_normal_mode");
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 00 16"), "3.12_IAP_mode");
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 07 16"), "3.12");
  EXPECT_EQ(versionFrom("79 54 03 C2 FF 00 16"), "255.0");
  EXPECT_EQ(versionFrom("79 54 02 C2 03 16"), "255.0") << "a short answer changes nothing";
  EXPECT_EQ(versionFrom("").substr(0, 19), "CannotReadFromPort:");
  EXPECT_EQ(QrTest::failure([&] { version.getFirmwareVersion(); }), none) << "forgotten";
  EXPECT_EQ(QrTest::claimedServices(version), "36");

  // The variant answer: 16 bytes, the low bits of byte 11 tell.
  QrBrlOsIsBluetoothVersionRequestStrategy bluetooth(0x8A);
  auto variantFrom = [&](const std::string& answer) {
    return run("79 8A 01 C1 16>" + answer, [&](SerialPort& port) {
      bluetooth.requestBluetoothVersion(port);
      return std::string(bluetooth.clone()->isBluetoothVersion() ? "Bluetooth" : "USB");
    });
  };
  const std::string variant = "79 8A 0C C1 00 00 00 00 00 00 00 ";
  EXPECT_EQ(variantFrom(variant + "04 00 00 00 16"), "USB");
  EXPECT_EQ(variantFrom(variant + "02 00 00 00 16"), "Bluetooth");
  EXPECT_EQ(variantFrom(variant + "01 00 00 00 16"), "Bluetooth");
  EXPECT_EQ(variantFrom("78 8B 0C C2 00 00 00 00 00 00 00 04 00 00 00 16"), "Bluetooth");
  EXPECT_EQ(variantFrom(variant + "04 00 00 00"), "Bluetooth") << "a short answer changes nothing";
  EXPECT_EQ(variantFrom("").substr(0, 19), "CannotReadFromPort:");
  EXPECT_EQ(QrTest::failure([&] { bluetooth.isBluetoothVersion(); }),
            "WrongProtocolVersion: QrBrlOsIsBluetoothVersionRequestStrategy::isBluetoothVersion -- "
            "Service isn't supported for currently selected device.");
  EXPECT_EQ(QrTest::claimedServices(bluetooth), "37");
}

}  // namespace
}  // namespace QrCom::Versions
