#include "qrcom/firmware/ServiceInfo.h"

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/firmware/ServiceInfoAwareDeviceMaintenanceStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::failure;
using QrTest::hex;
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

TEST(ServiceInfoTest, DecodesEveryField) {
  const ServiceInfo info = read(hex(kRecord));
  EXPECT_EQ(info.kind, 2);
  EXPECT_EQ(info.number, 0x1234);
  EXPECT_EQ(info.firstDate.month, 3);
  EXPECT_EQ(info.firstDate.year, 2011);
  EXPECT_EQ(info.valueA, 7);
  EXPECT_TRUE(info.secondDatePresent);
  EXPECT_EQ(info.secondDate.year, 1995);
  EXPECT_EQ(info.thirdDate.year, 2000);
  EXPECT_EQ(info.fourthDate.year, 2089);
  EXPECT_EQ(info.valueB, 9);
  EXPECT_EQ(info.fifthDate.month, 11);
  EXPECT_EQ(info.fifthDate.year, 1990);
  EXPECT_TRUE(info.flag);
  EXPECT_EQ(info.state, 1);
}

TEST(ServiceInfoTest, WritingWhatWasReadGivesTheSameBytes) {
  EXPECT_EQ(written(read(hex(kRecord))), hex(kRecord));
  const Bytes stateTwo = hex("01 00 00 0C 63 00 01 05 02 01 03 02 00 04 03 04 00 00 00 00");
  EXPECT_EQ(written(read(stateTwo)), stateTwo);
}

TEST(ServiceInfoTest, RejectsShortAndCorruptedStreams) {
  const Bytes record = hex(kRecord);
  EXPECT_EQ(failure([&] { read(Bytes(record.begin(), record.begin() + 19)); }),
            "WrongStreamSize: ServiceInfo::readObject() -- Wrong size of stream for reading data");

  Bytes zeroKind = record;
  zeroKind[0] = 0;
  EXPECT_EQ(failure([&] { read(zeroKind); }),
            "ServiceInfoCorrupted: ServiceInfo::readObject() -- Serviceinformation is corrupted");
  for (size_t reserved = 16; reserved < 20; ++reserved) {
    Bytes dirty = record;
    dirty[reserved] = 1;
    EXPECT_THROW(read(dirty), ServiceInfoCorrupted) << reserved;
  }

  Bytes longer = record;
  longer.insert(longer.end(), {0xAA, 0xBB});  // bytes after the 20th are ignored
  EXPECT_EQ(written(read(longer)), record);
}

TEST(ServiceInfoTest, YearBytesBelowNinetyAreThisCentury) {
  Bytes bytes = hex(kRecord);
  for (const auto& [byte, year] : {std::pair{89, 2089}, {90, 1990}, {100, 2000}}) {
    bytes[4] = static_cast<uint8_t>(byte);
    EXPECT_EQ(read(bytes).firstDate.year, year) << byte;
  }

  ServiceInfo info;
  for (const auto& [year, byte] : {std::pair{2000, 100}, {1995, 95}, {2011, 11}, {2089, 89}}) {
    info.firstDate.year = static_cast<uint16_t>(year);
    EXPECT_EQ(info.writeObject()[4], byte) << year;
  }
}

// Year bytes 190-255 read as 2090-2155; writing the record back must not turn them into the
// last century (found by fuzzing: 2117 went out as 117, which reads as 2017).
TEST(ServiceInfoTest, YearsFrom2090GoBackToTheirOwnBytes) {
  Bytes bytes = hex(kRecord);
  for (const int byte : {190, 217, 255, 101, 150}) {
    bytes[4] = static_cast<uint8_t>(byte);
    const ServiceInfo info = read(bytes);
    EXPECT_EQ(read(written(info)).firstDate.year, info.firstDate.year) << byte;
  }
  bytes[4] = 190;
  EXPECT_EQ(written(read(bytes))[4], 190);
}

TEST(ServiceInfoTest, MonthBytesOutOfRangeWrapAround) {
  Bytes bytes = hex(kRecord);
  for (const auto& [byte, month] : {std::pair{13, 1}, {0, 12}, {25, 1}, {24, 12}}) {
    bytes[3] = static_cast<uint8_t>(byte);
    EXPECT_EQ(read(bytes).firstDate.month, month) << byte;
  }
}

TEST(ServiceInfoTest, OptionalDatesWithMonthZeroAreAbsent) {
  Bytes bytes = hex(kRecord);
  bytes[8] = 0;  // third date: month 0, year byte left over
  const ServiceInfo info = read(bytes);
  EXPECT_FALSE(info.thirdDatePresent);
  EXPECT_TRUE(info.fourthDatePresent);
  const Bytes again = written(info);
  EXPECT_EQ(again[8], 0);
  EXPECT_EQ(again[9], 0);
}

TEST(ServiceInfoTest, StateBitOneWinsOverBitTwo) {
  Bytes bytes = hex(kRecord);
  bytes[15] = 0x06;
  EXPECT_EQ(read(bytes).state, 1);
  EXPECT_FALSE(read(bytes).flag);
  bytes[15] = 0x05;
  EXPECT_EQ(read(bytes).state, 2);
  EXPECT_TRUE(read(bytes).flag);
  EXPECT_EQ(written(read(bytes))[15], 0x05);
}

class ServiceInfoStrategyTest : public ::testing::Test {
 protected:
  ScriptedPort port;
  ServiceInfoAwareDeviceMaintenanceStrategy strategy{0x54};
  ServiceInfo info;
};

TEST_F(ServiceInfoStrategyTest, ReceivesTheRecordWithPacket31) {
  port.deliver(hex("EE"));
  port.answerNextWrite(hex(std::string("79 54 15 31 ") + kRecord + " 16"));
  strategy.receiveServiceInformation(port, info);
  EXPECT_EQ(port.written(), hex("79 54 01 31 16"));
  EXPECT_EQ(port.calls()[0].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(written(info), hex(kRecord));
}

TEST_F(ServiceInfoStrategyTest, ADisplayWithoutRecordAnswersFE) {
  for (const char* answer : {"FE 54 00", "54 01 00" /* its own id first: the same */}) {
    port.answerNextWrite(hex(answer));
    EXPECT_EQ(failure([&] { strategy.receiveServiceInformation(port, info); }),
              "ServiceInfoNotReceived: ");
    EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
    EXPECT_EQ(port.pending(), 0u);
  }
}

TEST_F(ServiceInfoStrategyTest, RejectsAnswersThatAreNotTheRecord) {
  const std::string record = kRecord;
  for (const std::string& answer :
       {"79 54 15 30 " + record + " 16", "79 55 15 31 " + record + " 16",
        "78 54 15 31 " + record + " 16", "79 54 15 31 " + record + " 17"}) {
    port.answerNextWrite(hex(answer));
    EXPECT_THROW(strategy.receiveServiceInformation(port, info), ServiceInfoNotReceived) << answer;
  }
  // The frame is right but too short for a record.
  port.answerNextWrite(hex("79 54 05 31 01 02 03 16"));
  EXPECT_THROW(strategy.receiveServiceInformation(port, info), WrongStreamSize);
  port.answerNextWrite(hex("79 54 15 31 16"));
  EXPECT_THROW(strategy.receiveServiceInformation(port, info), WrongStreamSize);
}

TEST(ServiceInfoStrategySilenceTest, NothingArrivingIsAReadFailure) {
  ScriptedPort hid(nullptr, ScriptedPort::Kind::Hid);
  ServiceInfoAwareDeviceMaintenanceStrategy strategy(0x54);
  ServiceInfo info;
  EXPECT_EQ(failure([&] { strategy.receiveServiceInformation(hid, info); }),
            "CannotReadFromPort: ");
}

TEST_F(ServiceInfoStrategyTest, SendsTheRecordWithPacket30) {
  info = read(hex(kRecord));
  for (int i = 0; i < 5; ++i) port.answerNextWrite({});
  port.answerNextWrite(hex("79 54 02 07 7E 16"));
  strategy.sendServiceInformation(port, info);
  EXPECT_EQ(port.written(), hex(std::string("79 54 15 30 ") + kRecord + " 16"));
  size_t writes = 0;
  for (const auto& call : port.calls()) writes += call.type == ScriptedPort::Call::Write;
  EXPECT_EQ(writes, 6u);  // four single bytes, the record, the end byte
}

TEST_F(ServiceInfoStrategyTest, SendingNeedsTheExactAcknowledgement) {
  info = read(hex(kRecord));
  for (const char* answer : {"79 54 03 07 7E 16", "79 55 02 07 7E 16", "79 54 02 07 7E 17",
                             "79 54 02 07 00 16", "79 54 02 07 7E"}) {
    port.setResponder([&](const Bytes& bytes, ScriptedPort& self) {
      if (bytes == hex("16")) self.deliver(hex(answer));
    });
    EXPECT_THROW(strategy.sendServiceInformation(port, info), ServiceInfoNotSent) << answer;
  }
  EXPECT_TRUE(strategy.supportsService(21));
  EXPECT_FALSE(strategy.supportsService(22));
  EXPECT_NE(dynamic_cast<ServiceInfoAwareDeviceMaintenanceStrategy*>(strategy.clone().get()),
            nullptr);
}

}  // namespace
}  // namespace QrCom
