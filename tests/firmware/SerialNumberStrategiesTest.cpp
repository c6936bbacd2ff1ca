// The serial-number queries: the packet 41 of the current displays, the boot loader's INFO mode
// and the pocket display's 05 05.
#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom::Serial {
namespace {

using QrTest::ascii;
using QrTest::Bytes;
using QrTest::failsAsNotSupported;
using QrTest::failure;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::operator+;

// A strategy that has read `serial` from the display: 79 id L 41 <text> 16.
template <typename Strategy>
Strategy readFrom(uint8_t modelId, const std::string& serial) {
  Strategy strategy(modelId);
  ScriptedPort port;
  port.answerNextWrite(Bytes{0x79, modelId, static_cast<uint8_t>(serial.size() + 1), 0x41} +
                       ascii(serial) + hex("16"));
  strategy.readSerialNumber(port);
  return strategy;
}

TEST(PacketSerialNumberTest, ReadsTheSerialNumberWithPacket41) {
  ScriptedPort port;
  port.deliver(hex("55"));  // stale input is purged first
  port.answerNextWrite(hex("79 81 0C 41") + ascii("FNX-1712345") + hex("16"));
  FnxSerialNumberRequestStrategy strategy(0x81);
  strategy.readSerialNumber(port);
  EXPECT_EQ(port.written(), hex("79 81 01 41 16"));
  EXPECT_EQ(strategy.getSerialNumber(), L"FNX-1712345");
  EXPECT_EQ(QrTest::claimedServices(strategy), "12 13");
  EXPECT_EQ(
      (readFrom<FnxSerialNumberRequestStrategy>(0x81, std::string(45, 'S')).getSerialNumber()),
      std::wstring(40, L'S'));

  ScriptedPort silent;  // a COM port: silence throws and clears the cache
  EXPECT_THROW(strategy.readSerialNumber(silent), CannotReadFromPortException);
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.getSerialNumber(); },
                                  L"FnxSerialNumberRequestStrategy::getSerialNumber -- "));
}

TEST(PacketSerialNumberTest, SetSerialNumberSendsTextWithChecksumAndKeepsTheOldOneIfRefused) {
  ScriptedPort port;
  auto strategy = readFrom<QrBrlOsSerialNumberRequestStrategy>(0x54, "OB4-0001");
  port.answerNextWrite(hex("79 54 02 07 00 16"));
  EXPECT_EQ(failure([&] { strategy.setSerialNumber(port, L"AB-17"); }),
            "ErrorOnSettingSerialNumber: QrBrlOsSerialNumberRequestStrategy::setSerialNumber -- "
            "Not ACK for setting bluetooth pin received.");
  EXPECT_EQ(strategy.getSerialNumber(), L"OB4-0001");
  port.answerNextWrite(hex("79 54 02 07 7E 16"));
  strategy.setSerialNumber(port, L"AB-17");
  EXPECT_EQ(port.written(),
            hex("79 54 07 40 E8 41 42 2D 31 37 16 79 54 07 40 E8 41 42 2D 31 37 16"));
  EXPECT_EQ(strategy.getSerialNumber(), L"AB-17");
}

TEST(PacketSerialNumberTest, ValidityFactoryDefaultsAndDeliveryYear) {
  using Fnx = FnxSerialNumberRequestStrategy;
  using QrBrlOs = QrBrlOsSerialNumberRequestStrategy;
  EXPECT_FALSE(readFrom<Fnx>(0x81, "xXx1").hasValidSerialNumber());
  EXPECT_TRUE(readFrom<Fnx>(0x81, "XX1-17").hasValidSerialNumber());
  // Characters 4 to 11 against the model's default, in any case.
  EXPECT_TRUE(readFrom<Fnx>(129, "0000A0-13000").hasDefaultSerialNumber());
  EXPECT_FALSE(readFrom<Fnx>(129, "0000A0-1300").hasDefaultSerialNumber());
  EXPECT_FALSE(readFrom<Fnx>(52, "0000A0-13000").hasDefaultSerialNumber());
  EXPECT_TRUE(readFrom<Fnx>(51, "FNX-a0-13000-7").hasDefaultSerialNumber());
  EXPECT_TRUE(readFrom<QrBrlOs>(84, "OB4-A0-10000").hasDefaultSerialNumber());
  EXPECT_TRUE(readFrom<QrBrlOs>(97, "PK1-A0-16000").hasDefaultSerialNumber());
  EXPECT_FALSE(readFrom<QrBrlOs>(97, "OB4-A0-10000").hasDefaultSerialNumber());
  EXPECT_TRUE(readFrom<QrBrlOs>(100, "OR1-A0-14000").hasDefaultSerialNumber());
  EXPECT_TRUE(readFrom<QrBrlOs>(132, "FNX-A0-12000").hasDefaultSerialNumber());
  EXPECT_EQ(readFrom<Fnx>(0x81, "AB-1734").getDeliveryYear(), 17);
  EXPECT_EQ(readFrom<Fnx>(0x81, "AB-09-77").getDeliveryYear(), 9);
  for (const char* serial : {"AB-1X", "AB", "AB-1"}) {
    const auto strategy = readFrom<Fnx>(0x81, serial);
    EXPECT_EQ(failure([&] { strategy.getDeliveryYear(); }), "DeliveryYearNotAvailable: ") << serial;
  }
}

// AE -> 4F, "INFO N" -> "INFOI" and 40 bytes of information, then 0xFF leaves INFO mode.
TEST(InfoModeSerialNumberTest, ReadsTwelveCharactersAndLeavesInfoMode) {
  const Bytes info = ascii("INFOISL4-17-00815 FLASH 2.0") + Bytes(18, ' ');
  const struct {
    std::vector<Bytes> answers;
    std::string written;
    std::wstring serial;
  } cases[] = {
      {{hex("4F"), info}, "AE 49 4E 46 4F 20 4E FF", L"SL4-17-00815"},
      {{hex("4E")}, "AE FF", L""},
      {{hex("4F"), ascii("INXOI0123456789")}, "AE 49 4E 46 4F 20 4E FF", L""},
      {{}, "AE FF", L""},  // silence
  };
  for (const auto& row : cases) {
    ScriptedPort port;
    for (const Bytes& answer : row.answers) port.answerNextWrite(answer);
    InfoModeSerialNumberRequestStrategy strategy;
    strategy.readSerialNumber(port);
    EXPECT_EQ(QrTest::toHex(port.written()), row.written);
    EXPECT_EQ(port.calls().front().type, ScriptedPort::Call::Purge);
    EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
    if (row.serial.empty()) {
      EXPECT_TRUE(failsAsNotSupported([&] { strategy.getSerialNumber(); },
                                      L"InfoModeSerialNumberRequestStrategy::getSerialNumber -- "));
    } else {
      EXPECT_EQ(strategy.getSerialNumber(), row.serial);
      EXPECT_EQ(strategy.getDeliveryYear(), 17);
      EXPECT_TRUE(strategy.hasValidSerialNumber());
      EXPECT_FALSE(strategy.hasDefaultSerialNumber());
    }
  }
  InfoModeSerialNumberRequestStrategy strategy;
  ScriptedPort port;
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.setSerialNumber(port, L"SL4"); },
                                  L"InfoModeSerialNumberRequestStrategy::setSerialNumber -- "));
  EXPECT_EQ(QrTest::claimedServices(strategy), "12");
}

TEST(PagelingSerialNumberTest, AsksWith0505UpToFiveTimesForEightBytes) {
  const std::pair<std::vector<std::string>, std::wstring> cases[] = {
      {{"PG123456"}, L"PG123456"},
      {{"PG1", "PG1", "PG1", "PG1", "PG1"}, L"PG1"},  // what arrived is kept
      {{}, L""},                                      // a failure leaves the cache empty
  };
  for (const auto& [answers, serial] : cases) {
    ScriptedPort port;
    for (const std::string& answer : answers) port.answerNextWrite(ascii(answer));
    PagelingSerialNumberRequestStrategy strategy;
    strategy.readSerialNumber(port);
    EXPECT_EQ(port.written(), Bytes(2 * std::max<size_t>(answers.size(), 1), 0x05));
    EXPECT_EQ(strategy.clone()->getSerialNumber(), serial);
    EXPECT_TRUE(strategy.hasValidSerialNumber());
    EXPECT_FALSE(strategy.hasDefaultSerialNumber());
  }
  PagelingSerialNumberRequestStrategy strategy;
  ScriptedPort port;
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.setSerialNumber(port, L"PG"); },
                                  L"PagelingSerialNumberRequestStrategy::setSerialNumber "));
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.getDeliveryYear(); },
                                  L"PagelingSerialNumberRequestStrategy::getDeliveryYear "));
  EXPECT_EQ(QrTest::claimedServices(strategy), "12");
}

}  // namespace
}  // namespace QrCom::Serial
