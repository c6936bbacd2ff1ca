#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emulator/Catalog.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/PosixSerialPort.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"

namespace QrCom {
namespace {

// The maintenance commands over a real tty, in real time, against an emulated display.
class MaintenanceOnPtyTest : public ::testing::Test {
 protected:
  MaintenanceOnPtyTest() { server.start(); }

  std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(0x54, 0x0103);
  QrEmu::PtyServer server;
  const std::wstring path = fromUtf8(server.add(*display).path());
  PosixSerialPort port{path, 5};
  QrBrlOsVersion103MaintenanceStrategy strategy{0x54};
};

TEST_F(MaintenanceOnPtyTest, ClockPinAndBattery) {
  DeviceDateTime set;
  set.year = 2025;
  set.month = 2;
  set.day = 28;
  set.hour = 23;
  set.minute = 59;
  set.second = 58;
  strategy.setRealTimeClock(port, set);
  DeviceDateTime got;
  strategy.getRealTimeClock(port, &got);
  EXPECT_EQ(got.year, 2025);
  EXPECT_EQ(got.day, 28);
  EXPECT_EQ(got.second, 58);

  strategy.setBluetoothPin(port, L"98765");
  wchar_t pin[8];
  strategy.getBluetoothPin(port, pin, 8);
  EXPECT_EQ(std::wstring(pin), L"98765");

  BatteryInfo battery;
  strategy.requestBatteryInfo(port, &battery);
  EXPECT_EQ(battery.secondWord, 85);
  strategy.startBatteryTestMode(port);
  auto guard = display->lock();
  EXPECT_TRUE(display->find<QrEmu::MaintenancePackets>()->batteryTestMode);
}

TEST_F(MaintenanceOnPtyTest, TableSlotsAndTheMassStorageLock) {
  {
    auto guard = display->lock();
    display->find<QrEmu::BrailleTableSlots>()->names = {{2, "DANISH"}};
  }
  BrailleTablesNames names;
  strategy.getBrailleTablesNames(port, names);
  ASSERT_NE(names.name(2), nullptr);
  EXPECT_EQ(*names.name(2), L"DANISH");
  int first = 0;
  int second = 0;
  strategy.getUsedBrailleTables(port, first, second);
  EXPECT_EQ(first, 1);

  EXPECT_TRUE(strategy.isMassStorageProtocolActive(port));
  strategy.lockMassStorageProtocol(port);
  auto guard = display->lock();
  EXPECT_TRUE(display->find<QrEmu::MassStorageLock>()->locked);
}

}  // namespace
}  // namespace QrCom
