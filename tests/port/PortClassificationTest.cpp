#include "qrcom/port/PortClassification.h"

#include <gtest/gtest.h>

namespace QrCom {
namespace {

TEST(PortClassificationTest, ServiceNamesMatchWholeEntriesCaseSensitively) {
  EXPECT_EQ(classifyServiceName(L"Serial"), PortType::NativeSerial);
  EXPECT_EQ(classifyServiceName(L"serial"), PortType::Unclassified);
  EXPECT_EQ(classifyServiceName(L"Serial2"), PortType::Unclassified);
  EXPECT_EQ(classifyServiceName(L"FTSER2K"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyServiceName(L"Ser2pl"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyServiceName(L"GHUSBURT"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyServiceName(L"VComm"), PortType::BluetoothSerial);
  EXPECT_EQ(classifyServiceName(L"tosporte"), PortType::BluetoothSerial);
  EXPECT_EQ(classifyServiceName(L"BTH"), PortType::Unclassified);
  EXPECT_EQ(classifyServiceName(L"FTSER2K;GHUSBURT"), PortType::Unclassified);
  // No match keeps what an earlier device of the same number gave.
  EXPECT_EQ(classifyServiceName(L"usbser", PortType::BluetoothSerial), PortType::BluetoothSerial);
  EXPECT_EQ(classifyServiceName(L"", PortType::NativeSerial), PortType::NativeSerial);

  EXPECT_TRUE(serviceListMatches(L"a;bb;c", L"bb"));
  EXPECT_FALSE(serviceListMatches(L"a;bb;c", L"b"));
  EXPECT_FALSE(serviceListMatches(L"", L""));
  EXPECT_FALSE(serviceListMatches(L"a;;c", L""));
}

TEST(PortClassificationTest, PortNumbersFollowTheFirstThreeCharacters) {
  EXPECT_EQ(comPortNumber(L"COM12"), 12);
  EXPECT_EQ(comPortNumber(L"COM7"), 7);
  EXPECT_EQ(comPortNumber(L"XYZ7"), 7);
  EXPECT_EQ(comPortNumber(L"COM7x"), 7);
  EXPECT_EQ(comPortNumber(L"COM0"), 0);
  EXPECT_EQ(comPortNumber(L"COM"), 0);
  EXPECT_EQ(comPortNumber(L"CO"), 0);
  EXPECT_EQ(comPortNumber(L"COMx"), 0);
  EXPECT_EQ(comPortNumber(L"COM-3"), 0);
  EXPECT_EQ(comPortNumber(L"COM99999999999"), 0);
}

TEST(PortClassificationTest, LinuxTtysByBusAndName) {
  EXPECT_EQ(classifyTty("ttyS0", true, "serial-base"), PortType::NativeSerial);
  EXPECT_EQ(classifyTty("ttyAMA0", true, "amba"), PortType::NativeSerial);
  EXPECT_EQ(classifyTty("ttyUSB0", true, "usb-serial"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyTty("ttyACM0", true, "usb"), PortType::UsbSerialAdapter);
  EXPECT_EQ(classifyTty("rfcomm0", false, ""), PortType::BluetoothSerial);
  EXPECT_EQ(classifyTty("3", false, ""), PortType::Unclassified);  // /dev/pts/3
}

}  // namespace
}  // namespace QrCom
