#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::failsAsNotSupported;
using QrTest::failure;
using QrTest::failureOf;
using QrTest::hex;
using QrTest::ScriptedPort;

using QrTest::ascii;

// The serial-number answer 79 id L 41 <text> 16.
Bytes serialAnswer(uint8_t start, uint8_t modelId, uint8_t type, const std::string& text) {
  Bytes answer = {start, modelId, static_cast<uint8_t>(text.size() + 1), type};
  const Bytes payload = ascii(text);
  answer.insert(answer.end(), payload.begin(), payload.end());
  answer.push_back(0x16);
  return answer;
}

// A packet strategy that has read `serial` from the display.
template <typename Strategy>
Strategy readFrom(uint8_t modelId, const std::string& serial) {
  Strategy strategy(modelId);
  ScriptedPort port;
  port.answerNextWrite(serialAnswer(0x79, modelId, 0x41, serial));
  strategy.readSerialNumber(port);
  return strategy;
}

TEST(PacketSerialNumberTest, ReadsTheSerialNumberWithPacket41) {
  ScriptedPort port;
  port.deliver(hex("55"));  // stale input is purged first
  port.answerNextWrite(serialAnswer(0x79, 0x81, 0x41, "FNX-1712345"));
  FnxSerialNumberRequestStrategy strategy(0x81);
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("79 81 01 41 16"));
  EXPECT_EQ(port.calls()[0].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(strategy.getSerialNumber(), L"FNX-1712345");
}

TEST(PacketSerialNumberTest, AHeaderCountsWhenStartIdOrTypeMatches) {
  ScriptedPort port;
  QrBrlOsSerialNumberRequestStrategy strategy(0x54);
  port.answerNextWrite(serialAnswer(0x00, 0x00, 0x41, "OB4-0001"));
  strategy.readSerialNumber(port);
  EXPECT_EQ(strategy.getSerialNumber(), L"OB4-0001");

  // All three wrong: the cache stays as it was.
  port.answerNextWrite(serialAnswer(0x78, 0x55, 0x42, "OTHER"));
  strategy.readSerialNumber(port);
  EXPECT_EQ(strategy.getSerialNumber(), L"OB4-0001");
}

TEST(PacketSerialNumberTest, AnEmptyCacheIsNotSupported) {
  ScriptedPort port(nullptr, ScriptedPort::Kind::Hid);  // silence without a failure
  QrBrlOsSerialNumberRequestStrategy strategy(0x54);
  strategy.readSerialNumber(port);
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.getSerialNumber(); },
                                  L"QrBrlOsSerialNumberRequestStrategy::getSerialNumber -- "));
  FnxSerialNumberRequestStrategy fnx(0x81);
  EXPECT_TRUE(failsAsNotSupported([&] { fnx.getSerialNumber(); },
                                  L"FnxSerialNumberRequestStrategy::getSerialNumber -- "));
}

TEST(PacketSerialNumberTest, APortFailureClearsTheCacheAndPassesOn) {
  auto strategy = readFrom<FnxSerialNumberRequestStrategy>(0x81, "FNX-17");
  ScriptedPort silent;  // a COM port: silence throws
  EXPECT_THROW(strategy.readSerialNumber(silent), CannotReadFromPortException);
  EXPECT_THROW(strategy.getSerialNumber(), WrongProtocolVersionException);
}

TEST(PacketSerialNumberTest, TheCacheHoldsAtMostFortyCharacters) {
  const std::string longSerial(45, 'S');
  auto strategy = readFrom<FnxSerialNumberRequestStrategy>(0x81, longSerial);
  EXPECT_EQ(strategy.getSerialNumber(), std::wstring(40, L'S'));
}

TEST(PacketSerialNumberTest, SetSerialNumberSendsTextWithChecksum) {
  ScriptedPort port;
  auto strategy = readFrom<QrBrlOsSerialNumberRequestStrategy>(0x54, "OB4-0001");
  port.answerNextWrite(hex("79 54 02 07 7E 16"));
  strategy.setSerialNumber(port, L"AB-17");
  EXPECT_EQ(port.written(), hex("79 54 07 40 E8 41 42 2D 31 37 16"));
  EXPECT_EQ(strategy.getSerialNumber(), L"AB-17");
}

TEST(PacketSerialNumberTest, RefusedSetSerialNumberKeepsTheOldOne) {
  ScriptedPort port;
  auto strategy = readFrom<QrBrlOsSerialNumberRequestStrategy>(0x54, "OB4-0001");
  port.answerNextWrite(hex("79 54 02 07 00 16"));
  EXPECT_EQ(failure([&] { strategy.setSerialNumber(port, L"AB-17"); }),
            "ErrorOnSettingSerialNumber: QrBrlOsSerialNumberRequestStrategy::setSerialNumber -- "
            "Not ACK for setting bluetooth pin received.");
  EXPECT_EQ(strategy.getSerialNumber(), L"OB4-0001");

  auto fnx = readFrom<FnxSerialNumberRequestStrategy>(0x81, "FNX-17");
  port.answerNextWrite(hex("79 81 02 07 15 16"));
  EXPECT_EQ(failureOf([&] { fnx.setSerialNumber(port, L"X"); }),
            L"FnxSerialNumberRequestStrategy::setSerialNumber -- "
            L"Not ACK for setting bluetooth pin received.");
}

TEST(PacketSerialNumberTest, SerialsStartingWithThreeXAreInvalid) {
  EXPECT_FALSE(
      (readFrom<FnxSerialNumberRequestStrategy>(0x81, "XXXX-0000").hasValidSerialNumber()));
  EXPECT_FALSE((readFrom<FnxSerialNumberRequestStrategy>(0x81, "xxx1").hasValidSerialNumber()));
  EXPECT_FALSE(
      (readFrom<QrBrlOsSerialNumberRequestStrategy>(0x54, "xXx-17").hasValidSerialNumber()));
  EXPECT_TRUE((readFrom<FnxSerialNumberRequestStrategy>(0x81, "XX1-17").hasValidSerialNumber()));
  EXPECT_TRUE((readFrom<FnxSerialNumberRequestStrategy>(0x81, "FNX-17").hasValidSerialNumber()));
}

TEST(PacketSerialNumberTest, FactoryDefaultsDependOnTheModel) {
  EXPECT_TRUE(
      (readFrom<FnxSerialNumberRequestStrategy>(129, "0000A0-13000").hasDefaultSerialNumber()));
  EXPECT_FALSE(
      (readFrom<FnxSerialNumberRequestStrategy>(52, "0000A0-13000").hasDefaultSerialNumber()));
  // Characters 0-3 are not looked at; case is ignored; only 8 characters count.
  EXPECT_TRUE(
      (readFrom<FnxSerialNumberRequestStrategy>(51, "FNX-a0-13000-7").hasDefaultSerialNumber()));
  EXPECT_FALSE(
      (readFrom<FnxSerialNumberRequestStrategy>(129, "0000A0-1300").hasDefaultSerialNumber()));
  EXPECT_TRUE(
      (readFrom<QrBrlOsSerialNumberRequestStrategy>(84, "OB4-A0-10000").hasDefaultSerialNumber()));
  EXPECT_TRUE(
      (readFrom<QrBrlOsSerialNumberRequestStrategy>(97, "PK1-A0-16000").hasDefaultSerialNumber()));
  EXPECT_TRUE(
      (readFrom<QrBrlOsSerialNumberRequestStrategy>(100, "OR1-A0-14000").hasDefaultSerialNumber()));
  EXPECT_TRUE(
      (readFrom<QrBrlOsSerialNumberRequestStrategy>(132, "FNX-A0-12000").hasDefaultSerialNumber()));
  EXPECT_FALSE(
      (readFrom<QrBrlOsSerialNumberRequestStrategy>(97, "OB4-A0-10000").hasDefaultSerialNumber()));
}

TEST(PacketSerialNumberTest, DeliveryYearIsTheTwoDigitsAfterTheFirstDash) {
  EXPECT_EQ((readFrom<FnxSerialNumberRequestStrategy>(0x81, "AB-1734").getDeliveryYear()), 17);
  EXPECT_EQ((readFrom<FnxSerialNumberRequestStrategy>(0x81, "AB-09-77").getDeliveryYear()), 9);
  for (const char* serial : {"AB-1X", "AB", "AB-1", "AB-"}) {
    const auto strategy = readFrom<FnxSerialNumberRequestStrategy>(0x81, serial);
    EXPECT_EQ(failure([&] { strategy.getDeliveryYear(); }), "DeliveryYearNotAvailable: ") << serial;
  }
}

TEST(PacketSerialNumberTest, ServicesAndClone) {
  const auto strategy = readFrom<QrBrlOsSerialNumberRequestStrategy>(97, "PK1-A0-16000");
  EXPECT_TRUE(strategy.supportsService(12));
  EXPECT_TRUE(strategy.supportsService(13));
  EXPECT_FALSE(strategy.supportsService(21));
  const auto copy = strategy.clone();
  EXPECT_NE(dynamic_cast<QrBrlOsSerialNumberRequestStrategy*>(copy.get()), nullptr);
  EXPECT_EQ(copy->getSerialNumber(), L"PK1-A0-16000");
  EXPECT_TRUE(copy->hasDefaultSerialNumber());  // the model id came along
}

// The boot loader's INFO mode: AE -> 4F, "INFO N" -> "INFOI" and 40 bytes of information.
class InfoModeSerialNumberTest : public ::testing::Test {
 protected:
  Bytes infoAnswer(const std::string& serial) {
    Bytes answer = ascii("INFOI");
    Bytes info = ascii(serial);
    info.resize(40, ' ');
    answer.insert(answer.end(), info.begin(), info.end());
    return answer;
  }

  ScriptedPort port;
  InfoModeSerialNumberRequestStrategy strategy;
};

TEST_F(InfoModeSerialNumberTest, ReadsTwelveCharactersAndLeavesInfoMode) {
  port.answerNextWrite(hex("4F"));
  port.answerNextWrite(infoAnswer("SL4-17-00815 FLASH 2.0"));
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("AE 49 4E 46 4F 20 4E FF"));
  EXPECT_EQ(port.calls().front().type, ScriptedPort::Call::Purge);
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
  EXPECT_EQ(strategy.getSerialNumber(), L"SL4-17-00815");
  EXPECT_EQ(strategy.getDeliveryYear(), 17);
  EXPECT_TRUE(strategy.hasValidSerialNumber());
  EXPECT_FALSE(strategy.hasDefaultSerialNumber());
}

TEST_F(InfoModeSerialNumberTest, AWrongAnswerToAEKeepsNoSerial) {
  port.answerNextWrite(hex("4E"));
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("AE FF"));
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.getSerialNumber(); },
                                  L"InfoModeSerialNumberRequestStrategy::getSerialNumber -- "));
}

TEST_F(InfoModeSerialNumberTest, AWrongEchoStopsAtTheFirstDifference) {
  port.answerNextWrite(hex("4F"));
  port.answerNextWrite(ascii("INXOI0123456789"));
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("AE 49 4E 46 4F 20 4E FF"));
  EXPECT_THROW(strategy.getSerialNumber(), WrongProtocolVersionException);
}

TEST_F(InfoModeSerialNumberTest, SilenceIsNotAFailure) {
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("AE FF"));
  EXPECT_THROW(strategy.getSerialNumber(), WrongProtocolVersionException);
}

TEST_F(InfoModeSerialNumberTest, ReadOnly) {
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.setSerialNumber(port, L"SL4"); },
                                  L"InfoModeSerialNumberRequestStrategy::setSerialNumber -- "));
  EXPECT_TRUE(strategy.supportsService(12));
  EXPECT_FALSE(strategy.supportsService(13));
}

TEST(PagelingSerialNumberTest, AsksWith0505ForEightBytes) {
  ScriptedPort port;
  port.answerNextWrite(ascii("PG123456"));
  PagelingSerialNumberRequestStrategy strategy;
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("05 05"));
  EXPECT_EQ(strategy.getSerialNumber(), L"PG123456");
  EXPECT_TRUE(strategy.hasValidSerialNumber());
  EXPECT_FALSE(strategy.hasDefaultSerialNumber());
  EXPECT_EQ(strategy.clone()->getSerialNumber(), L"PG123456");
}

TEST(PagelingSerialNumberTest, FiveShortAnswersKeepWhatArrived) {
  ScriptedPort port;
  for (int i = 0; i < 5; ++i) port.answerNextWrite(ascii("PG1"));
  PagelingSerialNumberRequestStrategy strategy;
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("05 05 05 05 05 05 05 05 05 05"));
  EXPECT_EQ(strategy.getSerialNumber(), L"PG1");
}

TEST(PagelingSerialNumberTest, AFailureLeavesTheCacheEmptyButReadable) {
  ScriptedPort port;  // COM silence throws
  PagelingSerialNumberRequestStrategy strategy;
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("05 05"));
  EXPECT_EQ(strategy.getSerialNumber(), L"");
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.setSerialNumber(port, L"PG"); },
                                  L"PagelingSerialNumberRequestStrategy::setSerialNumber "));
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.getDeliveryYear(); },
                                  L"PagelingSerialNumberRequestStrategy::getDeliveryYear "));
  EXPECT_TRUE(strategy.supportsService(12));
  EXPECT_FALSE(strategy.supportsService(13));
}

}  // namespace
}  // namespace QrCom
