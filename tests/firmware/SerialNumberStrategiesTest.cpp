// The serial-number queries: the packet 41 of the current displays, the boot loader's INFO mode
// and the pocket display's 05 05.
#include <gmock/gmock.h>

#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PacketSerialNumberRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "tests/firmware/Script.h"
#include "tests/support/Services.h"

namespace QrCom::Serial {
namespace {

using QrTest::claimedServices;
using QrTest::Script::run;
using Fnx = FnxSerialNumberRequestStrategy;
using QrBrlOs = QrBrlOsSerialNumberRequestStrategy;

// The serial number that `strategy` read, what it counts as and its delivery year ("-": none).
template <typename Strategy>
std::function<std::string(SerialPort&)> reading(Strategy& strategy) {
  return [&strategy](SerialPort& port) {
    strategy.readSerialNumber(port);
    std::string held = QrTest::describe(strategy.clone()->getSerialNumber());
    if (!strategy.hasValidSerialNumber()) held += " invalid";
    if (strategy.hasDefaultSerialNumber()) held += " default";
    try {
      return held + " " + std::to_string(strategy.getDeliveryYear());
    } catch (const QrException&) {
      return held + " -";
    }
  };
}

// A packet strategy of `modelId` that has read `serial`.
template <typename Strategy>
std::string read(uint8_t modelId, const std::string& serial) {
  Strategy strategy(modelId);
  const std::string id = QrTest::toHex({modelId, static_cast<uint8_t>(serial.size() + 1)});
  return run("79 " + id.substr(0, 2) + " 01 41 16>79 " + id + " 41 '" + serial + "' 16",
             reading(strategy));
}

TEST(PacketSerialNumberTest, ReadWithPacket41SetWithPacket40) {
  Fnx fnx(0x81);
  EXPECT_EQ(run(">55,79 81 01 41 16>79 81 0C 41 'FNX-1712345' 16", reading(fnx)), "FNX-1712345 17");
  // A port failure clears what was read and passes on.
  EXPECT_THAT(run("79 81 01 41 16", reading(fnx)), ::testing::StartsWith("CannotReadFromPort: "));
  EXPECT_EQ(QrTest::Script::brief(QrTest::failure([&] { fnx.getSerialNumber(); })),
            "WrongProtocolVersion: getSerialNumber -- not supported");
  EXPECT_EQ(claimedServices(fnx), "12 13");
  EXPECT_EQ(read<Fnx>(0x81, std::string(45, 'S')), std::string(40, 'S') + " -");
  EXPECT_EQ(read<Fnx>(0x81, "AB-09-77"), "AB-09-77 9");
  for (const std::string serial : {"AB-1X", "AB", "AB-1"})
    EXPECT_EQ(read<Fnx>(0x81, serial), serial + " -");
  // Three X in any case make it invalid; characters 4 to 11 against the model's default.
  EXPECT_EQ(read<Fnx>(0x81, "xXx1"), "xXx1 invalid -");
  EXPECT_EQ(read<Fnx>(129, "0000A0-13000"), "0000A0-13000 default 13");
  EXPECT_EQ(read<Fnx>(52, "0000A0-13000"), "0000A0-13000 13");
  EXPECT_EQ(read<Fnx>(51, "FNX-a0-13000-7"), "FNX-a0-13000-7 default -");
  EXPECT_EQ(read<QrBrlOs>(97, "PK1-A0-16000"), "PK1-A0-16000 default -");
  EXPECT_EQ(read<QrBrlOs>(97, "OB4-A0-10000"), "OB4-A0-10000 -");
  EXPECT_EQ(read<QrBrlOs>(100, "OR1-A0-14000"), "OR1-A0-14000 default -");
  EXPECT_EQ(read<QrBrlOs>(132, "FNX-A0-12000"), "FNX-A0-12000 default -");

  QrBrlOs ob4(0x54);
  auto set = [&](SerialPort& port) {
    ob4.setSerialNumber(port, L"AB-17");
    return QrTest::describe(ob4.getSerialNumber());
  };
  EXPECT_EQ(run("79 54 07 40 E8 'AB-17' 16>79 54 02 07 7E 16", set), "AB-17");
  EXPECT_EQ(
      run("79 54 07 40 E8 'AB-17' 16>79 54 02 07 00 16", set),
      "ErrorOnSettingSerialNumber: setSerialNumber -- Not ACK for setting bluetooth pin received.");
}

// AE -> 4F, "INFO N" -> "INFOI" and 40 bytes of information, then 0xFF leaves INFO mode; the
// pocket display is asked up to five times for eight bytes and keeps what arrived.
TEST(SerialNumberTest, InfoModeAndPocketDisplay) {
  InfoModeSerialNumberRequestStrategy info;
  for (const char* script : {"AE>4E,FF", "AE>4F,'INFO N'>'INXOI0123456789',FF", "AE,FF"}) {
    EXPECT_EQ(run(script, reading(info)), "WrongProtocolVersion: getSerialNumber -- not supported");
  }
  EXPECT_EQ(run(">55,AE>4F,'INFO N'>'INFOISL4-17-00815 FLASH 2.0                  ',FF>00",
                reading(info)),
            "SL4-17-00815 17");
  PagelingSerialNumberRequestStrategy pocket;
  EXPECT_EQ(run("05 05", reading(pocket)), " -");
  EXPECT_EQ(run(QrTest::Script::repeat("05 05>'PG1'", 5), reading(pocket)), "PG1 -");
  EXPECT_EQ(run("05 05>'PG123456'", reading(pocket)), "PG123456 -");
  EXPECT_EQ(claimedServices(info) + claimedServices(pocket), "1212");
}

}  // namespace
}  // namespace QrCom::Serial
