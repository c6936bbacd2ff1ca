#include <gtest/gtest.h>

#include <string>

#include "emulator/Catalog.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

// The maintenance strategies against emulated displays.
class MaintenanceModulesTest : public ::testing::Test {
 protected:
  template <typename M>
  M& module(Display& display) {
    M* found = display.find<M>();
    EXPECT_NE(found, nullptr);
    return *found;
  }

  QrTest::ScopedVirtualClock clock;
};

TEST_F(MaintenanceModulesTest, ClockPinBatteryAndTestModeOfTheCurrentFirmware) {
  auto display = makeDisplay(0x54, 0x0103);
  EmulatedPort port(*display, &*clock);
  QrCom::QrBrlOsVersion103MaintenanceStrategy strategy(0x54);

  QrCom::DeviceDateTime set;
  set.year = 2031;
  set.month = 12;
  set.day = 24;
  set.hour = 18;
  set.minute = 30;
  set.second = 5;
  strategy.setRealTimeClock(port, set);
  QrCom::DeviceDateTime got;
  strategy.getRealTimeClock(port, &got);
  EXPECT_EQ(got.year, 2031);
  EXPECT_EQ(got.month, 12);
  EXPECT_EQ(got.second, 5);

  strategy.setBluetoothPin(port, L"4711");
  wchar_t pin[16];
  strategy.getBluetoothPin(port, pin, 16);
  EXPECT_EQ(std::wstring(pin), L"4711");

  QrCom::BatteryInfo battery;
  strategy.requestBatteryInfo(port, &battery);
  EXPECT_EQ(battery.firstWord, 3900);
  EXPECT_EQ(battery.fifthByte, 25);

  strategy.startBatteryTestMode(port);
  auto& packets = module<MaintenancePackets>(*display);
  EXPECT_TRUE(packets.batteryTestMode);
  packets.refuse = true;
  EXPECT_THROW(strategy.startBatteryTestMode(port), QrCom::ErrorStartingBatteryTestMode);
  EXPECT_THROW(strategy.setBluetoothPin(port, L"1"), QrCom::ErrorOnSettingBluetoothPin);
  EXPECT_EQ(packets.pin, "4711");
}

TEST_F(MaintenanceModulesTest, FundoAnswersThePacketCommands) {
  auto display = makeDisplay(0x84, 0x0102);
  EmulatedPort port(*display, &*clock);
  QrCom::FnxMaintenanceStrategy strategy(0x84, false);
  strategy.setBluetoothPin(port, L"123456");
  wchar_t pin[16];
  strategy.getBluetoothPin(port, pin, 16);
  EXPECT_EQ(std::wstring(pin), L"123456");
}

TEST_F(MaintenanceModulesTest, TableSlots) {
  auto display = makeDisplay(0x74, 3);
  EmulatedPort port(*display, &*clock);
  auto& slots = module<BrailleTableSlots>(*display);
  slots.names = {{1, "GERMAN"}, {3, "US"}};
  QrCom::BrailleSystemVersion428MaintenanceStrategy strategy;

  QrCom::BrailleTablesNames names;
  strategy.getBrailleTablesNames(port, names);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(*names.name(3), L"US");
  EXPECT_EQ(names.firstFreeSlot(), 2);

  strategy.activateBrailleTable(port, 3);
  EXPECT_EQ(slots.activeSlot, 3);
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>{3000});

  int first = 0;
  int second = 0;
  slots.usedFirst = 3;
  slots.usedSecond = 1;
  strategy.getUsedBrailleTables(port, first, second);
  EXPECT_EQ(first, 3);
  EXPECT_EQ(second, 1);

  slots.nakCode = 13;
  EXPECT_THROW(strategy.getBrailleTablesNames(port, names), QrCom::ErrorOnDeviceException);
  // The display is ready for the next command.
  strategy.getBrailleTablesNames(port, names);
  EXPECT_EQ(names.size(), 2u);
}

TEST_F(MaintenanceModulesTest, UploadedTablesTakeTheirSlots) {
  uint8_t table[256] = {};
  QrCom::BrailleTablesNames names;
  {
    auto display = makeDisplay(116, 3);
    EmulatedPort port(*display, &*clock);
    QrCom::BrailleSystemVersion428MaintenanceStrategy strategy;
    strategy.receiveBrailleTable(port, table, L"GERMAN", 3, true);
    strategy.getBrailleTablesNames(port, names);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(*names.name(3), L"GERMAN");
  }
  auto display = makeDisplay(84, 0x0103);
  EmulatedPort port(*display, &*clock);
  QrCom::QrBrlOsVersion103MaintenanceStrategy strategy(84);
  strategy.receiveBrailleTable(port, table, L"NORSK", 2, false);
  strategy.receiveBrailleTable(port, table, L"DANSK", 2, false);
  strategy.getBrailleTablesNames(port, names);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(*names.name(2), L"DANSK");
}

TEST_F(MaintenanceModulesTest, MassStorageLock) {
  auto display = makeDisplay(0x54, 0x0103);
  EmulatedPort port(*display, &*clock);
  QrCom::QrBrlOsVersion103MaintenanceStrategy strategy(0x54);
  auto& lock = module<MassStorageLock>(*display);
  EXPECT_TRUE(strategy.isMassStorageProtocolActive(port));
  lock.state = 1;
  EXPECT_FALSE(strategy.isMassStorageProtocolActive(port));
  strategy.lockMassStorageProtocol(port);
  EXPECT_TRUE(lock.locked);
  strategy.releaseMassStorageProtocol(port);
  EXPECT_FALSE(lock.locked);
  EXPECT_EQ(lock.acknowledgements, 4u);
}

TEST_F(MaintenanceModulesTest, OnlyTheRightDisplaysHaveTheCommands) {
  EXPECT_EQ(makeDisplay(0x54, 0x0102)->find<MassStorageLock>(), nullptr);
  EXPECT_EQ(makeDisplay(0x54, 0)->find<BrailleTableSlots>(), nullptr);
  EXPECT_EQ(makeDisplay(0x74, 0)->find<MaintenancePackets>(), nullptr);
  EXPECT_NE(makeDisplay(0x33, 0)->find<MaintenancePackets>(), nullptr);
}

}  // namespace
}  // namespace QrEmu
