#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/QrBrlOsFirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/QrBrlOsIsBluetoothVersionRequestStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom::Versions {
namespace {

using QrTest::hex;
using QrTest::ScriptedPort;

// The version after the answer `answer` to 79 54 01 C2 16, "" when there is none.
std::wstring versionFrom(const std::string& answer) {
  ScriptedPort port;
  port.answerNextWrite(hex(answer));
  QrBrlOsFirmwareVersionRequestStrategy strategy(0x54);
  strategy.requestFirmwareVersion(port);
  EXPECT_EQ(port.written(), hex("79 54 01 C2 16"));
  if (!QrTest::failsAsNotSupported(
          [&] { strategy.getFirmwareVersion(); },
          L"QrBrlOsFirmwareVersionRequestStrategy::getFirmwareVersion -- "))
    return strategy.clone()->getFirmwareVersion();
  return L"";
}

TEST(FirmwareVersionTest, MajorMinorAndTheModeByte) {
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 01 16"), L"3.12_normal_mode");
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 00 16"), L"3.12_IAP_mode");
  EXPECT_EQ(versionFrom("79 54 04 C2 03 0C 07 16"), L"3.12");
  EXPECT_EQ(versionFrom("79 54 03 C2 FF 00 16"), L"255.0");
  EXPECT_EQ(versionFrom("79 54 02 C2 03 16"), L"");
  EXPECT_EQ(versionFrom("78 55 04 C3 03 0C 01 16"), L"");
}

// The variant answer: 16 bytes, the low bits of byte 11 tell.
TEST(BluetoothVariantTest, ByteElevenLowBitsTell) {
  const std::pair<std::string, std::string> cases[] = {
      {"79 8A 0C C1 00 00 00 00 00 00 00 04 00 00 00 16", "false"},
      {"79 8A 0C C1 00 00 00 00 00 00 00 02 00 00 00 16", "true"},
      {"79 8A 0C C1 00 00 00 00 00 00 00 01 00 00 00 16", "true"},
      {"78 8B 0C C2 00 00 00 00 00 00 00 02 00 00 00 16", "unknown"},
      {"79 8A 0C C1 00 00 00 00 00 00 00 02 00 00 00", "unknown"},  // short
  };
  for (const auto& [answer, variant] : cases) {
    ScriptedPort port(nullptr, ScriptedPort::Kind::Hid);
    port.answerNextWrite(hex(answer));
    QrBrlOsIsBluetoothVersionRequestStrategy strategy(0x8A);
    strategy.requestBluetoothVersion(port);
    EXPECT_EQ(port.written(), hex("79 8A 01 C1 16"));
    const std::string known =
        QrTest::failsAsNotSupported(
            [&] { strategy.isBluetoothVersion(); },
            L"QrBrlOsIsBluetoothVersionRequestStrategy::isBluetoothVersion -- ")
            ? "unknown"
        : strategy.clone()->isBluetoothVersion() ? "true"
                                                 : "false";
    EXPECT_EQ(known, variant) << answer;
  }
}

TEST(IdentityQueriesTest, APortFailureForgetsTheAnswerAndPassesOn) {
  QrBrlOsFirmwareVersionRequestStrategy version(0x54);
  QrBrlOsIsBluetoothVersionRequestStrategy bluetooth(0x8A);
  ScriptedPort port;
  port.answerNextWrite(hex("79 54 04 C2 03 0C 01 16"));
  port.answerNextWrite(hex("79 8A 0C C1 00 00 00 00 00 00 00 02 00 00 00 16"));
  version.requestFirmwareVersion(port);
  bluetooth.requestBluetoothVersion(port);
  EXPECT_THROW(version.requestFirmwareVersion(port), CannotReadFromPortException);
  EXPECT_THROW(bluetooth.requestBluetoothVersion(port), CannotReadFromPortException);
  EXPECT_THROW(version.getFirmwareVersion(), WrongProtocolVersionException);
  EXPECT_THROW(bluetooth.isBluetoothVersion(), WrongProtocolVersionException);
  EXPECT_EQ(QrTest::claimedServices(version), "36");
  EXPECT_EQ(QrTest::claimedServices(bluetooth), "37");
}

}  // namespace
}  // namespace QrCom::Versions
