#include "qrcom/protocol/PagelingProtocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::failsWith;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr wchar_t kOperation[] = L"Test::op -- ";

struct ExpectedError {
  int code;
  const char* pcFirst;
  const wchar_t* text;
  const char* failure;
};

const ExpectedError kErrors[] = {
    {1, "", L" Watchdog error.", "ErrorOnDevice"},
    {2, "", L" Block Null not readable.", "ErrorOnDevice"},
    {3, "", L" No flash memory found.", "ErrorOnDevice"},
    {4, "", L" Too much defective blocks.", "ErrorOnDevice"},
    {5, "", L" Keyboard buffer overflow.", "ErrorOnDevice"},
    {6, "", L" Parity or framing error.", "ErrorOnDevice"},
    {7, "06 05 FF", L" Defective memory block detected. Reset forced.", "ErrorOnDevice"},
    {8, "06 04", L" Not enough memory.", "NotEnoughMemory"},
    {9, "06", L" Page frame error.", "ErrorInProtocol"},
    {10, "06 05 FF", L" File frame error.", "ErrorInProtocol"},
    {11, "", L" Unauthorized access to block 0.", "ErrorOnDevice"},
    {12, "06", L" Maximal number of files loaded.", "MaxNumberOfFilesLoaded"},
    {13, "", L" Maximal number of Braille Tables loaded.", "MaxNumberOfBrailleTablesLoaded"},
    {14, "06", L" File already exists on device.", "FileAlreadyExistsOnDevice"},
    {0, "", L" No detailled description available.", "ErrorInProtocol"},
    {15, "", L" No detailled description available.", "ErrorInProtocol"},
    {255, "", L" No detailled description available.", "ErrorInProtocol"},
};

TEST(PagelingProtocolTest, EveryErrorCodeWithWhatThePcWritesFirst) {
  for (const ExpectedError& expected : kErrors) {
    SCOPED_TRACE("code " + std::to_string(expected.code));
    ScriptedPort port;
    port.deliver({0x15, static_cast<uint8_t>(expected.code)});
    EXPECT_EQ(QrTest::failure([&] { Pageling::awaitAnswer(port, kOperation); }),
              std::string(expected.failure) + ": Test::op -- " + QrTest::describe(expected.text));
    EXPECT_EQ(toHex(port.written()), expected.pcFirst);
  }
}

TEST(PagelingProtocolTest, AnAnswerIsCollectedUntilTheLineFallsSilent) {
  QrTest::VirtualClock clock;
  ScriptedPort port(&clock);
  port.deliver(hex("06"));
  Pageling::awaitAnswer(port, kOperation);

  // Some bytes and finally ACK.
  port.deliver(hex("41 42 43 06"));
  Pageling::awaitAnswer(port, kOperation);

  // Some bytes and finally NAK with its code.
  port.deliver(hex("41 42 15 0E"));
  EXPECT_TRUE(failsWith<FileAlreadyExistsOnDeviceException>(
      [&] { Pageling::awaitAnswer(port, kOperation); },
      L"Test::op --  File already exists on device."));
  EXPECT_EQ(toHex(port.written()), "06");

  for (const char* answer : {"41", "41 42", "41 06 41"}) {
    SCOPED_TRACE(answer);
    port.deliver(hex(answer));
    EXPECT_TRUE(failsWith<ErrorInProtocolException>(
        [&] { Pageling::awaitAnswer(port, kOperation); }, L"Test::op --  Missing ACK and NAK"));
  }
}

TEST(PagelingProtocolTest, TheCollectionEndsAfterFourHundredBytes) {
  // A HID port never fails a read: its silence reads as zeros.
  QrTest::VirtualClock clock;
  ScriptedPort port(&clock, ScriptedPort::Kind::Hid);
  port.deliver(hex("41"));
  EXPECT_TRUE(failsWith<ErrorInProtocolException>([&] { Pageling::awaitAnswer(port, kOperation); },
                                                  L"Test::op --  Missing ACK and NAK"));
  EXPECT_EQ(port.calls().size(), 401u);
}

TEST(PagelingProtocolTest, ARefusedTransactionIsOpenedOnceMoreAfterAReceiverReset) {
  ScriptedPort port;
  port.answerNextWrite(hex("15 03"));
  port.answerNextWrite({});
  port.answerNextWrite(hex("06"));
  Pageling::openTransaction(port, 0x02, kOperation);
  EXPECT_EQ(toHex(port.written()), "05 02 05 FF 05 02");
  EXPECT_EQ(port.calls()[3].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(port.calls()[5].type, ScriptedPort::Call::Purge);

  port.answerNextWrite(hex("15 03"));
  port.answerNextWrite({});
  port.answerNextWrite(hex("15 04"));
  EXPECT_TRUE(
      failsWith<ErrorOnDeviceException>([&] { Pageling::openTransaction(port, 0x02, kOperation); },
                                        L"Test::op --  Too much defective blocks."));
}

}  // namespace
}  // namespace QrCom
