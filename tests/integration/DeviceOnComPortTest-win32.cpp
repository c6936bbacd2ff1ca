// A display of quorlin-emulator on a pty that Wine maps to a COM port becomes a device through
// the real WinSerialPort.
#include <gtest/gtest.h>

#include <cstdlib>

#include "qrcom/device/DeviceList.h"

namespace QrCom {
namespace {

// scripts/test.sh serves a Vantra (model 84, protocol 0x0103, serial number VAN-17-00815,
// firmware 3.12) on COM QR_WINE_DEVICE_COM and a display of unknown model 0x22 on QR_WINE_COM.
TEST(DeviceOnComPortTest, ASearchKeepsTheDisplayThatCanBeUpdated) {
  const char* number = std::getenv("QR_WINE_DEVICE_COM");
  const char* unknownModel = std::getenv("QR_WINE_COM");
  if (number == nullptr || unknownModel == nullptr) GTEST_SKIP() << "no emulated display";
  SearchRequest request;
  request.linkKinds = {SearchRequest::kComPorts};
  request.comPortNumbers = {std::atoi(unknownModel), std::atoi(number)};
  request.serviceFilter = {11};
  DeviceList list;
  list.search(request);
  ASSERT_EQ(list.count(), 1u);
  QuorlinDevice& device = list.at(0);
  EXPECT_EQ(device.getPortNumber(), std::atoi(number));
  EXPECT_FALSE(device.isUsbHid());
  EXPECT_EQ(device.getModelName(nullptr), L"Vantra");
  EXPECT_EQ(device.getCellCount(), 40);
  EXPECT_EQ(device.getSerialNumber(), L"VAN-17-00815");
  EXPECT_EQ(device.getFirmwareVersion(), L"3.12_normal_mode");
}

}  // namespace
}  // namespace QrCom
