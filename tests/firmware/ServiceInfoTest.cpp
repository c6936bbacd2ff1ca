#include "qrcom/firmware/ServiceInfo.h"

#include <gtest/gtest.h>

#include <sstream>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom::Service {
namespace {

using QrTest::Bytes;
using QrTest::failure;
using QrTest::hex;
using QrTest::operator+;
using QrTest::ScriptedPort;

// kind 2, number 0x1234, 03/2011, A 7, 12/1995, 01/2000, 06/2089, B 9, 11/1990, flag, state 1.
const char kRecord[] = "02 34 12 03 0B 07 0C 5F 01 64 06 59 09 0B 5A 03 00 00 00 00";

ServiceInfo read(const Bytes& bytes) {
  ServiceInfo info;
  info.readObject(bytes.data(), static_cast<int>(bytes.size()));
  return info;
}

Bytes written(const ServiceInfo& info) {
  const auto bytes = info.writeObject();
  return Bytes(bytes.begin(), bytes.end());
}

// The record with byte `at` replaced by `value`.
Bytes with(size_t at, uint8_t value) {
  Bytes bytes = hex(kRecord);
  bytes[at] = value;
  return bytes;
}

std::string fields(const ServiceInfo& info) {
  std::ostringstream text;
  auto date = [&](bool present, const ServiceDate& d) {
    if (present) text << " " << int(d.month) << "/" << d.year;
    if (!present) text << " -";
  };
  text << int(info.kind) << " " << info.number;
  date(true, info.firstDate);
  text << " " << int(info.valueA);
  date(info.secondDatePresent, info.secondDate);
  date(info.thirdDatePresent, info.thirdDate);
  date(info.fourthDatePresent, info.fourthDate);
  text << " " << int(info.valueB);
  date(info.fifthDatePresent, info.fifthDate);
  text << " " << info.flag << " " << int(info.state);
  return text.str();
}

TEST(ServiceInfoTest, DecodesEveryFieldAndWritesTheSameBytesBack) {
  const std::string before = "2 4660 3/2011 7 12/1995", after = " 6/2089 9 11/1990 ";
  EXPECT_EQ(fields(read(hex(kRecord))), before + " 1/2000" + after + "1 1");
  EXPECT_EQ(written(read(hex(kRecord))), hex(kRecord));
  const Bytes stateTwo = hex("01 00 00 0C 63 00 01 05 02 01 03 02 00 04 03 04 00 00 00 00");
  EXPECT_EQ(written(read(stateTwo)), stateTwo);
  EXPECT_EQ(written(read(hex(kRecord) + Bytes{0xAA, 0xBB})), hex(kRecord));  // the rest ignored

  // Month 0 of an optional date: absent, written as 0 0.
  EXPECT_EQ(fields(read(with(8, 0))), before + " -" + after + "1 1");
  Bytes absent = with(8, 0);
  absent[9] = 0;
  EXPECT_EQ(written(read(with(8, 0))), absent);
  // State bit one wins over bit two.
  EXPECT_EQ(fields(read(with(15, 0x06))), before + " 1/2000" + after + "0 1");
  EXPECT_EQ(fields(read(with(15, 0x05))), before + " 1/2000" + after + "1 2");
  EXPECT_EQ(written(read(with(15, 0x05)))[15], 0x05);
}

TEST(ServiceInfoTest, YearsAndMonthsOfTheTwoDigitBytes) {
  for (const auto& [byte, year] : {std::pair{89, 2089}, {90, 1990}, {100, 2000}, {13, 2013}}) {
    EXPECT_EQ(read(with(4, static_cast<uint8_t>(byte))).firstDate.year, year) << byte;
  }
  ServiceInfo info;
  for (const auto& [year, byte] : {std::pair{2000, 100}, {1995, 95}, {2011, 11}, {2089, 89}}) {
    info.firstDate.year = static_cast<uint16_t>(year);
    EXPECT_EQ(info.writeObject()[4], byte) << year;
  }
  for (const auto& [byte, month] : {std::pair{13, 1}, {0, 12}, {24, 12}}) {
    EXPECT_EQ(read(with(3, static_cast<uint8_t>(byte))).firstDate.month, month) << byte;
  }
}

// Year bytes 190-255 read as 2090-2155; writing the record back must not turn them into the
// last century (found by fuzzing: 2117 went out as 117, which reads as 2017).
TEST(ServiceInfoTest, YearsFrom2090GoBackToTheirOwnBytes) {
  for (const int byte : {190, 217, 255, 101, 150}) {
    const ServiceInfo info = read(with(4, static_cast<uint8_t>(byte)));
    EXPECT_EQ(read(written(info)).firstDate.year, info.firstDate.year) << byte;
  }
  EXPECT_EQ(written(read(with(4, 190)))[4], 190);
}

TEST(ServiceInfoTest, RejectsShortAndCorruptedStreams) {
  const Bytes record = hex(kRecord);
  EXPECT_EQ(failure([&] { read(Bytes(record.begin(), record.begin() + 19)); }),
            "WrongStreamSize: ServiceInfo::readObject() -- Wrong size of stream for reading data");
  EXPECT_EQ(failure([&] { read(with(0, 0)); }),
            "ServiceInfoCorrupted: ServiceInfo::readObject() -- Serviceinformation is corrupted");
  for (size_t reserved : {16, 19}) EXPECT_THROW(read(with(reserved, 1)), ServiceInfoCorrupted);
}

TEST(ServiceInfoStrategyTest, ReceivesTheRecordWithPacket31) {
  ScriptedPort port;
  ServiceInfoAwareDeviceMaintenanceStrategy strategy{0x54};
  ServiceInfo info;
  port.deliver(hex("EE"));
  port.answerNextWrite(hex(std::string("79 54 15 31 ") + kRecord + " 16"));
  strategy.receiveServiceInformation(port, info);
  EXPECT_EQ(port.written(), hex("79 54 01 31 16"));
  EXPECT_EQ(port.calls()[0].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(written(info), hex(kRecord));

  const std::string record = kRecord;
  const std::pair<std::string, std::string> answers[] = {
      {"FE 54 00", "ServiceInfoNotReceived: "},  // a display without a record
      {"54 01 00", "ServiceInfoNotReceived: "},  // its own id first: the same
      {"79 54 15 30 " + record + " 16", "ServiceInfoNotReceived: "},
      {"79 55 15 31 " + record + " 16", "ServiceInfoNotReceived: "},
      {"78 54 15 31 " + record + " 16", "ServiceInfoNotReceived: "},
      {"79 54 15 31 " + record + " 17", "ServiceInfoNotReceived: "},
      {"79 54 05 31 01 02 03 16",
       "WrongStreamSize: ServiceInfo::readObject() -- Wrong size of "
       "stream for reading data"},
      {"79 54 15 31 16",
       "WrongStreamSize: ServiceInfo::readObject() -- Wrong size of stream for reading data"},
  };
  for (const auto& [answer, outcome] : answers) {
    port.answerNextWrite(hex(answer));
    EXPECT_EQ(failure([&] { strategy.receiveServiceInformation(port, info); }), outcome) << answer;
    EXPECT_EQ(port.pending(), 0u) << answer;
  }
  ScriptedPort hid(nullptr, ScriptedPort::Kind::Hid);
  EXPECT_EQ(failure([&] { strategy.receiveServiceInformation(hid, info); }),
            "CannotReadFromPort: ");
}

TEST(ServiceInfoStrategyTest, SendsTheRecordWithPacket30AndNeedsTheExactAcknowledgement) {
  ScriptedPort port;
  ServiceInfoAwareDeviceMaintenanceStrategy strategy{0x54};
  ServiceInfo info = read(hex(kRecord));
  for (int i = 0; i < 5; ++i) port.answerNextWrite({});
  port.answerNextWrite(hex("79 54 02 07 7E 16"));
  strategy.sendServiceInformation(port, info);
  EXPECT_EQ(port.written(), hex(std::string("79 54 15 30 ") + kRecord + " 16"));
  EXPECT_EQ(port.calls()[0].type, ScriptedPort::Call::Purge);
  for (const char* answer : {"79 54 03 07 7E 16", "79 55 02 07 7E 16", "79 54 02 07 7E 17",
                             "79 54 02 07 00 16", "79 54 02 07 7E", "78 54 02 07 7E 16"}) {
    port.setResponder([&](const Bytes& bytes, ScriptedPort& self) {
      if (bytes == hex("16")) self.deliver(hex(answer));
    });
    EXPECT_THROW(strategy.sendServiceInformation(port, info), ServiceInfoNotSent) << answer;
  }
  EXPECT_TRUE(strategy.supportsService(21));
  EXPECT_FALSE(strategy.supportsService(22));
}

}  // namespace
}  // namespace QrCom::Service
