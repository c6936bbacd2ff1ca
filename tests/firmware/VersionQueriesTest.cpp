#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::failsAsNotSupported;
using QrTest::hex;
using QrTest::ScriptedPort;

std::wstring versionFrom(const std::string& answer) {
  ScriptedPort port;
  port.answerNextWrite(hex(answer));
  QrBrlOsFirmwareVersionRequestStrategy strategy(0x54);
  strategy.requestFirmwareVersion(port);
  EXPECT_EQ(port.written(), hex("79 54 01 C2 16"));
  return strategy.clone()->getFirmwareVersion();
}

TEST(FirmwareVersionTest, ModeByteSelectsTheSuffix) {
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 01 16"), L"3.12_normal_mode");
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 00 16"), L"3.12_IAP_mode");
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 07 16"), L"3.12");
  EXPECT_EQ(versionFrom("79 54 03 C2 FF 00 16"), L"255.0");
}

TEST(FirmwareVersionTest, OneMatchingHeaderByteIsEnough) {
  EXPECT_EQ(versionFrom("00 00 04 C2 03 0C 01 16"), L"3.12_normal_mode");
  EXPECT_EQ(versionFrom("79 00 04 00 04 01 01 16"), L"4.1_normal_mode");
}

TEST(FirmwareVersionTest, NoUsableAnswerLeavesNoVersion) {
  for (const char* answer : {"78 55 04 C3 03 0C 01 16", "79 54 04 C2 03 0C", "79 54 02 C2 03 16"}) {
    ScriptedPort port;
    port.answerNextWrite(hex(answer));
    QrBrlOsFirmwareVersionRequestStrategy strategy(0x54);
    strategy.requestFirmwareVersion(port);
    EXPECT_TRUE(
        failsAsNotSupported([&] { strategy.getFirmwareVersion(); },
                            L"QrBrlOsFirmwareVersionRequestStrategy::getFirmwareVersion -- "))
        << answer;
  }
}

TEST(FirmwareVersionTest, APortFailureClearsTheVersionAndPassesOn) {
  QrBrlOsFirmwareVersionRequestStrategy strategy(0x54);
  ScriptedPort port;
  port.answerNextWrite(hex("79 54 04 C2 03 0C 01 16"));
  strategy.requestFirmwareVersion(port);
  EXPECT_THROW(strategy.requestFirmwareVersion(port), CannotReadFromPortException);
  EXPECT_THROW(strategy.getFirmwareVersion(), WrongProtocolVersionException);
  EXPECT_TRUE(strategy.supportsService(36));
  EXPECT_FALSE(strategy.supportsService(37));
}

// The variant answer: 16 bytes, byte 11 tells.
std::string variantAnswer(const std::string& byte11) {
  return "79 8A 0C C1 00 00 00 00 00 00 00 " + byte11 + " 00 00 00 16";
}

TEST(BluetoothVariantTest, ByteElevenLowBitsTell) {
  struct Case {
    const char* byte11;
    bool bluetooth;
  };
  for (const Case& c : {Case{"04", false}, Case{"02", true}, Case{"01", true}, Case{"00", false}}) {
    ScriptedPort port;
    port.answerNextWrite(hex(variantAnswer(c.byte11)));
    QrBrlOsIsBluetoothVersionRequestStrategy strategy(0x8A);
    strategy.requestBluetoothVersion(port);
    EXPECT_EQ(port.written(), hex("79 8A 01 C1 16"));
    EXPECT_EQ(strategy.isBluetoothVersion(), c.bluetooth) << c.byte11;
    EXPECT_EQ(strategy.clone()->isBluetoothVersion(), c.bluetooth) << c.byte11;
  }
}

TEST(BluetoothVariantTest, UnknownUntilAnAnswerCounts) {
  const std::string foreign = "78 8B 0C C2 00 00 00 00 00 00 00 02 00 00 00 16";
  const std::string shortAnswer = "79 8A 0C C1 00 00 00 00 00 00 00 02 00 00 00";
  for (const std::string& answer : {foreign, shortAnswer}) {
    ScriptedPort port(nullptr, ScriptedPort::Kind::Hid);
    port.answerNextWrite(hex(answer));
    QrBrlOsIsBluetoothVersionRequestStrategy strategy(0x8A);
    strategy.requestBluetoothVersion(port);
    EXPECT_TRUE(
        failsAsNotSupported([&] { strategy.isBluetoothVersion(); },
                            L"QrBrlOsIsBluetoothVersionRequestStrategy::isBluetoothVersion -- "));
  }
}

TEST(BluetoothVariantTest, APortFailureForgetsTheAnswerAndPassesOn) {
  QrBrlOsIsBluetoothVersionRequestStrategy strategy(0x8A);
  ScriptedPort port;
  port.answerNextWrite(hex(variantAnswer("02")));
  strategy.requestBluetoothVersion(port);
  EXPECT_THROW(strategy.requestBluetoothVersion(port), CannotReadFromPortException);
  EXPECT_THROW(strategy.isBluetoothVersion(), WrongProtocolVersionException);
  EXPECT_TRUE(strategy.supportsService(37));
  EXPECT_FALSE(strategy.supportsService(36));
}

}  // namespace
}  // namespace QrCom
