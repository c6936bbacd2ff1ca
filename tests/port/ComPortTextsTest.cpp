#include "qrcom/port/ComPortTexts.h"

#include <gtest/gtest.h>

namespace QrCom {
namespace {

TEST(ComPortTextsTest, LineErrorsAreNamedOnlyOneAtATime) {
  EXPECT_STREQ(lineErrorText(0x0001), L"Receive Queue overflow");
  EXPECT_STREQ(lineErrorText(0x0002), L"Receive Overrun Error");
  EXPECT_STREQ(lineErrorText(0x0004), L"Receive Parity Error");
  EXPECT_STREQ(lineErrorText(0x0008), L"Receive Framing error");
  EXPECT_STREQ(lineErrorText(0x0010), L"Break Detected");
  EXPECT_STREQ(lineErrorText(0x0100), L"TX Queue is full");
  EXPECT_STREQ(lineErrorText(0x0200), L"LPTx Timeout");
  EXPECT_STREQ(lineErrorText(0x0400), L"LPTx I/O Error");
  EXPECT_STREQ(lineErrorText(0x0800), L"LPTx Device not selected");
  EXPECT_STREQ(lineErrorText(0x1000), L"LPTx Out-Of-Paper");
  EXPECT_STREQ(lineErrorText(0x8000), L"Requested mode unsupported");
  EXPECT_STREQ(lineErrorText(0x0004 | 0x0008), L"undefined error");
  EXPECT_STREQ(lineErrorText(0x0020), L"undefined error");
}

TEST(ComPortTextsTest, DetailsQuoteThePortName) {
  const wchar_t* name = L"\\\\.\\COM3";
  EXPECT_EQ(ComPortText::readingSettings(name),
            L" Error while reading Settings for Port \"\\\\.\\COM3\" ");
  EXPECT_EQ(ComPortText::writingSettings(name),
            L"Error while writing COM-Settings for port \"\\\\.\\COM3\".");
  EXPECT_EQ(ComPortText::readingTimeouts(name),
            L"Error while reading COM-Timeouts of port \"\\\\.\\COM3\".");
  EXPECT_EQ(ComPortText::writingBuffer(name),
            L"Error while writing Buffer to port \"\\\\.\\COM3\".");
  EXPECT_EQ(ComPortText::reading(name), L" Error while reading from port \"\\\\.\\COM3\".");
  EXPECT_EQ(ComPortText::readingWithLineError(name, 0x0004),
            L" Error while reading from port \"\\\\.\\COM3\". COM error: Receive Parity Error");
  EXPECT_EQ(ComPortText::noByteArrived(name),
            L" Error while reading from port \"\\\\.\\COM3\". No Byte arrived.");
  EXPECT_EQ(ComPortText::cannotBeOpened(name), L" Port \"\\\\.\\COM3\" can't be opened.");
}

}  // namespace
}  // namespace QrCom
