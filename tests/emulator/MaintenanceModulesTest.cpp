#include <gtest/gtest.h>

#include <string>

#include "emulator/Catalog.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"
#include "qrcom/protocol/BrailleTablesNames.h"
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

// Clock, PIN and battery answers are exercised on a pty; here the refusals.
TEST_F(MaintenanceModulesTest, RefusedPacketCommandsFail) {
  auto display = makeDisplay(0x54, 0x0103);
  EmulatedPort port(*display, &*clock);
  QrCom::QrBrlOsVersion103MaintenanceStrategy strategy(0x54);
  strategy.setBluetoothPin(port, L"4711");
  auto& packets = module<MaintenancePackets>(*display);
  packets.refuse = true;
  EXPECT_THROW(strategy.startBatteryTestMode(port), QrCom::ErrorStartingBatteryTestMode);
  EXPECT_THROW(strategy.setBluetoothPin(port, L"1"), QrCom::ErrorOnSettingBluetoothPin);
  EXPECT_EQ(packets.pin, "4711");
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

}  // namespace
}  // namespace QrEmu
