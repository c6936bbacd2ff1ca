#include <gtest/gtest.h>

#include "emulator/Catalog.h"
#include "emulator/EmulatedPort.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "tests/support/ScopedHidLink.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

const std::wstring kEmulatedPath = L"\\\\?\\hid#vid_4c7a&pid_0054#7&1&0000#{hid}";

// The library's device against an emulated display behind the HID link.
class DeviceOnEmulatorTest : public ::testing::Test {
 protected:
  void attach(uint8_t modelId, uint16_t version, const QrEmu::DisplayIdentity& identity = {}) {
    display = QrEmu::makeDisplay(modelId, version, identity);
  }

  ScopedVirtualClock clock;
  std::unique_ptr<QrEmu::Display> display;
  ScopedHidLink link{nullptr, [this](const std::wstring&) {
                       return std::make_unique<QrEmu::EmulatedPort>(*display, &*clock);
                     }};
};

TEST_F(DeviceOnEmulatorTest, AFundoTellsItsVariant) {
  QrEmu::DisplayIdentity identity;
  identity.bluetooth = true;
  attach(147, 0x0103, identity);
  QuorlinDevice device(kEmulatedPath);
  EXPECT_EQ(device.getModelName(nullptr), L"Fundo Plus 32");
  EXPECT_TRUE(device.isFundoFamily());
  EXPECT_TRUE(device.isBluetoothVersion());
  EXPECT_EQ(device.getSerialNumber(), L"FNX-22-00417");
  EXPECT_EQ(device.getFirmwareVersionPrefix(), L"3.30");
}

TEST_F(DeviceOnEmulatorTest, OlderAndPocketDisplaysAnswerTheirOwnWay) {
  attach(68, 0);
  EXPECT_EQ(QuorlinDevice(kEmulatedPath).getSerialNumber(), L"TIL-22-00417");
  attach(144, 0);
  EXPECT_EQ(QuorlinDevice(kEmulatedPath).getSerialNumber(), L"PG220417");
}

TEST_F(DeviceOnEmulatorTest, ANewSerialNumberStaysAfterUpdatingTheProperties) {
  attach(84, 0x0102);
  QuorlinDevice device(kEmulatedPath);
  device.setSerialNumber(L"VAN-23-00001");
  display->setProtocolVersion(0x0103);
  device.updateDeviceProperties();
  EXPECT_EQ(device.getSerialNumber(), L"VAN-23-00001");
  EXPECT_EQ(device.getDeliveryYear(), 23);

  display->setSilent(true);
  EXPECT_THROW(device.updateDeviceProperties(), LostConnectionException);
}

}  // namespace
}  // namespace QrCom
