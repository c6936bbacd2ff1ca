#include "qrcom/firmware/ServiceInfo.h"

#include <gtest/gtest.h>

#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"
#include "tests/firmware/Script.h"
#include "tests/support/Services.h"

namespace QrCom::Service {
namespace {

using QrTest::Bytes;
using QrTest::hex;
using QrTest::toHex;

// kind 2, number 0x1234, 03/2011, A 7, 12/1995, 01/2000, 06/2089, B 9, 11/1990, flag, state 1.
const std::string kRecord = "02 34 12 03 0B 07 0C 5F 01 64 06 59 09 0B 5A 03 00 00 00 00";
const std::string kRest = " 7 12/1995 1/2000 6/2089 9 11/1990 ";

// The record with byte `at` replaced by `value`.
Bytes with(size_t at, uint8_t value) {
  Bytes bytes = hex(kRecord);
  bytes[at] = value;
  return bytes;
}

// The fields of the record `bytes` ("-" for an absent date), then the record written back.
std::string fields(const Bytes& bytes) {
  ServiceInfo i;
  i.readObject(bytes.data(), static_cast<int>(bytes.size()));
  auto date = [](bool present, const ServiceDate& d) {
    return present ? " " + std::to_string(d.month) + "/" + std::to_string(d.year) : " -";
  };
  const auto again = i.writeObject();
  return std::to_string(i.kind) + " " + std::to_string(i.number) + date(true, i.firstDate) + " " +
         std::to_string(i.valueA) + date(i.secondDatePresent, i.secondDate) +
         date(i.thirdDatePresent, i.thirdDate) + date(i.fourthDatePresent, i.fourthDate) + " " +
         std::to_string(i.valueB) + date(i.fifthDatePresent, i.fifthDate) + " " +
         std::to_string(i.flag) + " " + std::to_string(i.state) + " | " +
         toHex({again.begin(), again.end()});
}

TEST(ServiceInfoTest, DecodesEveryFieldAndWritesTheSameBytesBack) {
  EXPECT_EQ(fields(hex(kRecord + " AA BB")), "2 4660 3/2011" + kRest + "1 1 | " + kRecord);
  const std::string stateTwo = "01 00 00 0C 63 00 01 05 02 01 03 02 00 04 03 04 00 00 00 00";
  EXPECT_EQ(fields(hex(stateTwo)), "1 0 12/1999 0 1/2005 2/2001 3/2002 0 4/2003 0 2 | " + stateTwo);
  // Month 0 of an optional date: absent, written as 0 0; state bit one wins over bit two.
  EXPECT_EQ(fields(with(8, 0)), "2 4660 3/2011 7 12/1995 - 6/2089 9 11/1990 1 1 | " +
                                    kRecord.substr(0, 24) + "00 00" + kRecord.substr(29));
  EXPECT_EQ(fields(with(15, 6)), "2 4660 3/2011" + kRest + "0 1 | " + toHex(with(15, 2)));
  // Month bytes out of range wrap around.
  EXPECT_EQ(fields(with(3, 13)).substr(0, 11) + fields(with(3, 0)).substr(6, 6),
            "2 4660 1/20 12/20");
  EXPECT_EQ(QrTest::failure([&] { fields(Bytes(19, 1)); }),
            "WrongStreamSize: ServiceInfo::readObject() -- Wrong size of stream for reading data");
  for (size_t at : {0, 16, 19}) {
    EXPECT_EQ(QrTest::failure([&] { fields(with(at, at == 0 ? 0 : 1)); }),
              "ServiceInfoCorrupted: ServiceInfo::readObject() -- Serviceinformation is corrupted");
  }
}

// Year bytes 190-255 read as 2090-2155; writing the record back must not turn them into the
// last century (found by fuzzing: 2117 went out as 117, which reads as 2017).
TEST(ServiceInfoTest, YearsFrom2090GoBackToTheirOwnBytes) {
  for (const uint8_t byte : {190, 217, 255}) {
    EXPECT_EQ(fields(with(4, byte)),
              "2 4660 3/" + std::to_string(1900 + byte) + kRest + "1 1 | " + toHex(with(4, byte)));
  }
}

TEST(ServiceInfoStrategyTest, ReceivesWithPacket31AndSendsWithPacket30) {
  ServiceInfoAwareDeviceMaintenanceStrategy strategy{0x54};
  ServiceInfo info;
  auto receive = [&](SerialPort& port) {
    strategy.receiveServiceInformation(port, info);
    const auto bytes = info.writeObject();
    return toHex({bytes.begin(), bytes.end()});
  };
  const std::string ask = "79 54 01 31 16>";
  EXPECT_EQ(QrTest::Script::run(">EE," + ask + "79 54 15 31 " + kRecord + " 16", receive), kRecord);
  // No record (FE, or the display's id first), or an answer that is not the record.
  for (const std::string& answer :
       {std::string("FE 54 00"), std::string("54 01 00"), "79 54 15 30 " + kRecord + " 16",
        "79 55 15 31 " + kRecord + " 16", "78 54 15 31 " + kRecord + " 16",
        "79 54 15 31 " + kRecord + " 17"}) {
    EXPECT_EQ(QrTest::Script::run(ask + answer, receive), "ServiceInfoNotReceived: ") << answer;
  }
  auto send = [&](SerialPort& port) {
    strategy.sendServiceInformation(port, info);
    return std::string("sent");
  };
  const std::string sending = ">EE,79 54 15 30 " + kRecord + " 16>";
  EXPECT_EQ(QrTest::Script::run(sending + "79 54 02 07 7E 16", send), "sent");
  for (const char* answer : {"79 54 03 07 7E 16", "79 55 02 07 7E 16", "79 54 02 07 7E 17",
                             "79 54 02 07 00 16", "79 54 02 07 7E", "78 54 02 07 7E 16"}) {
    EXPECT_EQ(QrTest::Script::run(sending + answer, send), "ServiceInfoNotSent: ") << answer;
  }
  EXPECT_EQ(QrTest::claimedServices(strategy), "21");
}

}  // namespace
}  // namespace QrCom::Service
