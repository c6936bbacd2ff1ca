#include <gtest/gtest.h>

#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "tests/firmware/Script.h"
#include "tests/support/Services.h"

namespace QrCom::Versions {
namespace {

using QrTest::Script::run;

// A short or foreign answer changes nothing; a port failure forgets.
TEST(IdentityQueriesTest, FirmwareVersionAndBluetoothVariant) {
  QrBrlOsFirmwareVersionRequestStrategy version(0x54);
  auto ask = [&](SerialPort& port) {
    version.requestFirmwareVersion(port);
    return QrTest::describe(version.clone()->getFirmwareVersion());
  };
  EXPECT_EQ(run("79 54 01 C2 16>79 54 04 C2 03 0C 00 16", ask), "3.12_IAP_mode");
  EXPECT_EQ(run("79 54 01 C2 16>79 54 04 C2 03 0C 07 16", ask), "3.12");
  EXPECT_EQ(run("79 54 01 C2 16>79 54 03 C2 FF 00 16", ask), "255.0");
  EXPECT_EQ(run("79 54 01 C2 16>79 54 02 C2 03 16", ask), "255.0");
  EXPECT_EQ(run("79 54 01 C2 16", ask).substr(0, 19), "CannotReadFromPort:");
  EXPECT_THROW(version.getFirmwareVersion(), WrongProtocolVersionException);
  // 16 bytes, the low bits of byte 11 tell.
  QrBrlOsIsBluetoothVersionRequestStrategy variant(0x8A);
  auto bluetooth = [&](SerialPort& port) {
    variant.requestBluetoothVersion(port);
    return std::string(variant.clone()->isBluetoothVersion() ? "Bluetooth" : "USB");
  };
  EXPECT_EQ(run("79 8A 01 C1 16>79 8A 0C C1 0 0 0 0 0 0 0 04 0 0 0 16", bluetooth), "USB");
  EXPECT_EQ(run("79 8A 01 C1 16>79 8A 0C C1 0 0 0 0 0 0 0 01 0 0 0 16", bluetooth), "Bluetooth");
  EXPECT_EQ(run("79 8A 01 C1 16>78 8B 0C C2 0 0 0 0 0 0 0 04 0 0 0 16", bluetooth), "Bluetooth");
  EXPECT_EQ(run("79 8A 01 C1 16>79 8A 0C C1 0 0 0 0 0 0 0 04 0 0 0", bluetooth), "Bluetooth");
  EXPECT_EQ(run("79 8A 01 C1 16", bluetooth).substr(0, 19), "CannotReadFromPort:");
  EXPECT_THROW(variant.isBluetoothVersion(), WrongProtocolVersionException);
  EXPECT_EQ(QrTest::claimedServices(version) + QrTest::claimedServices(variant), "3637");
}

}  // namespace
}  // namespace QrCom::Versions
