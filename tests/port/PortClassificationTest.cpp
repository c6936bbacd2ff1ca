// What kind of port a COM port is, its number, and the texts of its failures.
#include "qrcom/port/PortClassification.h"

#include <gtest/gtest.h>

#include "qrcom/port/ComPortTexts.h"
#include "tests/support/Failures.h"

namespace QrCom {
namespace {

TEST(PortClassificationTest, ServiceNamesMatchWholeEntriesCaseSensitively) {
  const std::pair<const wchar_t*, PortType> services[] = {
      {L"Serial", PortType::NativeSerial},     {L"serial", PortType::Unclassified},
      {L"Serial2", PortType::Unclassified},    {L"FTSER2K", PortType::UsbSerialAdapter},
      {L"Ser2pl", PortType::UsbSerialAdapter}, {L"GHUSBURT", PortType::UsbSerialAdapter},
      {L"VComm", PortType::BluetoothSerial},   {L"tosporte", PortType::BluetoothSerial},
      {L"BTH", PortType::Unclassified},        {L"FTSER2K;GHUSBURT", PortType::Unclassified}};
  for (const auto& [service, type] : services) {
    EXPECT_EQ(classifyServiceName(service), type) << QrTest::describe(service);
  }
  // No match keeps what an earlier device of the same number gave.
  EXPECT_EQ(classifyServiceName(L"usbser", PortType::BluetoothSerial), PortType::BluetoothSerial);
  EXPECT_EQ(classifyServiceName(L"", PortType::NativeSerial), PortType::NativeSerial);
  EXPECT_FALSE(serviceListMatches(L"a;bb;c", L"b"));
  EXPECT_FALSE(serviceListMatches(L"a;;c", L""));
}

TEST(PortClassificationTest, PortNumbersFollowTheFirstThreeCharacters) {
  const std::pair<const wchar_t*, int> names[] = {
      {L"COM19", 19}, {L"XYZ7", 7},  {L"COM7x", 7},        {L"COM0", 0},    {L"COM", 0},
      {L"COMx", 0},   {L"COM-3", 0}, {L"COM65535", 65535}, {L"COM65536", 0}};
  for (const auto& [name, number] : names) {
    EXPECT_EQ(comPortNumber(name), number) << QrTest::describe(name);
  }
}

TEST(PortClassificationTest, LinuxTtysByBusAndName) {
  EXPECT_EQ(classifyTty("ttyS0", true, "serial-base"), PortType::NativeSerial);
  EXPECT_EQ(classifyTty("ttyUSB0", true, "usb-serial"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyTty("ttyACM0", true, "usb"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyTty("rfcomm0", false, ""), PortType::BluetoothSerial);
  EXPECT_EQ(classifyTty("3", false, ""), PortType::Unclassified);  // /dev/pts/3
}

TEST(ComPortTextsTest, ALineErrorIsNamedOnlyAlone) {
  EXPECT_STREQ(lineErrorText(0x000C), L"undefined error");
  EXPECT_EQ(ComPortText::readingWithLineError(L"COM3", 0x0004),
            L" Error while reading from port \"COM3\". COM error: Receive Parity Error");
}

}  // namespace
}  // namespace QrCom
