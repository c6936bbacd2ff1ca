// A display of quorlin-emulator on a pty that Wine maps to a COM port becomes a device through
// the real WinSerialPort.
#include <gtest/gtest.h>

#include <cstdlib>

#include "qrcom/device/DeviceList.h"

namespace QrCom {
namespace {

// scripts/test.sh serves a Vantra (model 84, protocol 0x0103, serial number VAN-17-00815,
// firmware 3.12) on COM QR_WINE_DEVICE_COM and a display of unknown model 0x22 on QR_WINE_COM.
class DeviceOnComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* device = std::getenv("QR_WINE_DEVICE_COM");
    const char* other = std::getenv("QR_WINE_COM");
    if (device == nullptr || other == nullptr) GTEST_SKIP() << "no emulated display to talk to";
    number = std::atoi(device);
    unknownModel = std::atoi(other);
  }

  int number = 0;
  int unknownModel = 0;
};

TEST_F(DeviceOnComPortTest, TheDisplayBecomesADevice) {
  QuorlinDevice device(number);
  EXPECT_EQ(device.getPortNumber(), number);
  EXPECT_FALSE(device.isUsbHid());
  EXPECT_EQ(device.getModelName(nullptr), L"Vantra");
  EXPECT_EQ(device.getCellCount(), 40);
  EXPECT_EQ(device.getSerialNumber(), L"VAN-17-00815");
  EXPECT_EQ(device.getFirmwareVersion(), L"3.12_normal_mode");
}

TEST_F(DeviceOnComPortTest, ASearchKeepsTheDisplayThatCanBeUpdated) {
  SearchRequest request;
  request.linkKinds = {SearchRequest::kComPorts};
  request.comPortNumbers = {unknownModel, number};
  request.serviceFilter = {11};
  DeviceList list;
  list.search(request);
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).getPortNumber(), number);
}

}  // namespace
}  // namespace QrCom
