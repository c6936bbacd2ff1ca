#include "qrcom/protocol/LegacyFraming.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::describe;
using QrTest::failure;
using QrTest::failureOf;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr wchar_t kFramingOperation[] = L"Test::op -- ";

struct Expected {
  const wchar_t* text;
  const char* failure;
};

const std::map<int, Expected> kTable = {
    {1, {L"Invalid package size.", "ErrorInProtocol"}},
    {2, {L"Missing BEGIN_OF_FILE marker.", "ErrorInProtocol"}},
    {3, {L"Missing END_OF_FILE marker.", "ErrorInProtocol"}},
    {4, {L"Missing file attribute flag byte.", "ErrorInProtocol"}},
    {5, {L"Missing start of file data marker.", "ErrorInProtocol"}},
    {6, {L"Missing GET_FILE command.", "ErrorInProtocol"}},
    {7, {L"Missing DELETE_FILE command.", "ErrorInProtocol"}},
    {8, {L"Missing RENAME_FILE command.", "ErrorInProtocol"}},
    {9, {L"Cannot open temp file.", "ErrorOnDevice"}},
    {10, {L"Cannot close temp file.", "ErrorOnDevice"}},
    {11, {L"Cannot rename temp file.", "ErrorOnDevice"}},
    {12, {L"Cannot delete temp file.", "ErrorOnDevice"}},
    {13, {L"Cannot open requested file.", "ErrorOnDevice"}},
    {14, {L"Cannot write to file.", "ErrorOnDevice"}},
    {15, {L"Cannot delete requested file.", "ErrorOnDevice"}},
    {16, {L"Cannot rename requested file.", "ErrorOnDevice"}},
    {17, {L"Cannot retrieve disk info.", "ErrorOnDevice"}},
    {18, {L"Page frame error.", "ErrorInProtocol"}},
    {19, {L"File already exists on device", "FileAlreadyExistsOnDevice"}},
    {20, {L"Connection timeout.", "ErrorInProtocol"}},
    {21, {L" Editor is open.", "ErrorOnDevice"}},
    {22, {L"Buffer overflow.", "ErrorInProtocol"}},
    {23, {L"Transmission canceled by user (PC side).", "TransmissionCanceledByUser"}},
    {24, {L"File not found on device.", "FileNotFoundOnDevice"}},
    {26, {L"Wrong command confirmed (Wrong ACK).", "ErrorOnDevice"}},
    {29, {L"invalid folder specified.", "CannotChangeToDirectory"}},
};

const Expected kFallback = {L" No detailled description available.", "ErrorInProtocol"};

TEST(LegacyFramingTest, EveryNakCodeOfBothTables) {
  for (int code = 0; code < 256; ++code) {
    for (DeviceErrors errors : {DeviceErrors::FileTransfer, DeviceErrors::Maintenance}) {
      SCOPED_TRACE("code " + std::to_string(code));
      const auto found = kTable.find(code);
      Expected expected = found == kTable.end() ? kFallback : found->second;
      if (code == 29 && errors == DeviceErrors::Maintenance) expected = kFallback;

      ScriptedPort port;
      port.deliver({0x15, static_cast<uint8_t>(code)});
      EXPECT_EQ(failure([&] { confirmCommand(port, 0x03, kFramingOperation, errors); }),
                std::string(expected.failure) + ": Test::op -- " + describe(expected.text));
    }
  }
}

TEST(LegacyFramingTest, ConfirmationNeedsAckAndTheEchoedByte) {
  ScriptedPort port;
  port.deliver(hex("06 21"));
  confirmCommand(port, 0x21, kFramingOperation);
  EXPECT_EQ(port.pending(), 0u);

  const auto confirm = [&] { confirmCommand(port, 0x21, kFramingOperation); };
  port.deliver(hex("06 22"));
  EXPECT_EQ(failure(confirm), "WrongCommandConfirmed: Test::op --  Wrong command byte received.");
  port.deliver(hex("16"));
  EXPECT_EQ(failure(confirm), "ErrorInProtocol: Test::op --  Missing ACK and NAK");
}

TEST(LegacyFramingTest, SilenceIsThePortsFailure) {
  QrTest::VirtualClock clock;
  ScriptedPort port(&clock);
  port.deliver(hex("06"));
  EXPECT_THROW(confirmCommand(port, 0x21, kFramingOperation), CannotReadFromPortException);
}

TEST(LegacyFramingTest, UploadHeaders) {
  const auto frame = [](const Bytes& body) {
    return toHex(buildFrame(body.data(), body.size(), kFramingOperation));
  };
  EXPECT_EQ(frame(legacyHeaderBody("", 1)), "04 00 1C 05 01 0F 16");
  EXPECT_EQ(frame(legacyHeaderBody("A.TXT", 0x83)), "09 00 1C 41 2E 54 58 54 05 83 0F 16");

  CalendarTime stamp;
  stamp.year = 2024;
  stamp.month = 5;
  stamp.day = 6;
  stamp.hour = 7;
  stamp.minute = 8;
  stamp.second = 9;
  EXPECT_EQ(frame(currentHeaderBody("A.TXT", stamp, 1)),
            "10 00 1C 41 2E 54 58 54 05 07 E8 05 06 07 08 09 01 0F 16");
  EXPECT_EQ(frame(currentHeaderBody("T", CalendarTime{}, 0x81)),
            "0C 00 1C 54 05 00 00 00 00 00 00 00 81 0F 16");
}

TEST(LegacyFramingTest, FrameLengthIsLittleEndianAndBounded) {
  const Bytes body(0x1234, 0xAA);
  const Bytes frame = buildFrame(body.data(), body.size(), kFramingOperation);
  ASSERT_EQ(frame.size(), 0x1234u + 3);
  EXPECT_EQ(frame[0], 0x34);
  EXPECT_EQ(frame[1], 0x12);
  EXPECT_EQ(frame.back(), 0x16);

  const Bytes tooLong(0x10000, 0);
  EXPECT_EQ(failureOf([&] { buildFrame(tooLong.data(), tooLong.size(), kFramingOperation); }),
            L"Test::op -- Frame exceeds 65535 bytes.");
}

TEST(LegacyFramingTest, AcknowledgementIsOneWrite) {
  ScriptedPort port;
  acknowledge(port, 0x16);
  ASSERT_EQ(port.calls().size(), 1u);
  EXPECT_EQ(port.calls()[0].bytes, hex("06 16"));
}

}  // namespace
}  // namespace QrCom
