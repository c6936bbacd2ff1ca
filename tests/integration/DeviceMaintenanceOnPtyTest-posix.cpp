// Every maintenance operation of the device, through the gateway and the real serial port
// class, against emulated displays of each family on real ptys. (Glint is left to the unit
// tests: its 80-byte read waits out the port's full time-out, 25 s on a pty.)
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emulator/Catalog.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/MaintenancePackets.h"
#include "emulator/modules/MassStorageLock.h"
#include "emulator/modules/PocketReaderStorage.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/Clock.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/port/PosixPortTable.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/MaintenanceRecords.h"

namespace QrCom {
namespace {

// One emulated display on COM 1 and the device made for it.
class DeviceMaintenanceOnPtyTest : public ::testing::Test {
 protected:
  ~DeviceMaintenanceOnPtyTest() override {
    device.reset();
    server.stop();
    portTable().setPaths({});
  }

  void serve(uint8_t modelId, uint16_t version) {
    display = QrEmu::makeDisplay(modelId, version);
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i ^ 0x5A);
    portTable().setPaths({server.add(*display).path()});
    server.start();
    device = std::make_unique<QuorlinDevice>(1);
  }

  template <typename Module>
  Module& module() {
    return *display->find<Module>();
  }

  // The display outlives the server that serves it.
  std::unique_ptr<QrEmu::Display> display;
  QrEmu::PtyServer server;
  std::unique_ptr<QuorlinDevice> device;
  uint8_t table[256] = {};
};

TEST_F(DeviceMaintenanceOnPtyTest, CurrentFirmware) {
  serve(0x54, 0x0103);
  device->receiveBrailleTable(table, L"NORSK", 2, false);
  device->activateBrailleTable(2);
  BrailleTablesNames names;
  device->getBrailleTablesNames(names);
  ASSERT_NE(names.name(2), nullptr);
  EXPECT_EQ(*names.name(2), L"NORSK");

  EXPECT_TRUE(device->isAvailable());
  device->block();
  {
    auto guard = display->lock();
    EXPECT_EQ(module<QrEmu::BrailleTableSlots>().activeSlot, 2);
    EXPECT_TRUE(module<QrEmu::MassStorageLock>().locked);
  }
  device->unblock();
  {
    auto guard = display->lock();
    EXPECT_FALSE(module<QrEmu::MassStorageLock>().locked);
  }

  int first = 0;
  int second = 0;
  device->getUsedBrailleTables(first, second);
  EXPECT_EQ(first, 1);

  device->synchronizeDateTimeToPc();
  DeviceDateTime time;
  device->getRealTimeClock(&time);
  EXPECT_EQ(time.year, clock().localTime().year);

  device->setBluetoothPin(L"98765");
  wchar_t pin[8] = {};
  device->getBluetoothPin(pin, 8);
  EXPECT_EQ(std::wstring(pin), L"98765");
  device->startBatteryTestMode();
  auto guard = display->lock();
  EXPECT_TRUE(module<QrEmu::MaintenancePackets>().batteryTestMode);
}

TEST_F(DeviceMaintenanceOnPtyTest, Fundo) {
  serve(129, 0x0103);
  device->setBluetoothPin(L"4711");
  wchar_t pin[16] = {};
  device->getBluetoothPin(pin, 16);
  EXPECT_EQ(std::wstring(pin), L"4711");
  BatteryInfo battery;
  device->requestBatteryInfo(&battery);
  EXPECT_EQ(battery.firstWord, 3900);
  EXPECT_EQ(battery.secondWord, 85);
  device->startBatteryTestMode();
  auto guard = display->lock();
  EXPECT_EQ(module<QrEmu::MaintenancePackets>().pin, "4711");
  EXPECT_TRUE(module<QrEmu::MaintenancePackets>().batteryTestMode);
}

TEST_F(DeviceMaintenanceOnPtyTest, LegacyLine) {
  serve(116, 3);
  {
    auto guard = display->lock();
    module<QrEmu::BrailleTableSlots>().usedFirst = 3;
  }
  device->receiveBrailleTable(table, L"GERMAN", 3, true);
  device->activateBrailleTable(3);
  BrailleTablesNames names;
  device->getBrailleTablesNames(names);
  ASSERT_NE(names.name(3), nullptr);
  EXPECT_EQ(*names.name(3), L"GERMAN");
  int first = 0;
  int second = 0;
  device->getUsedBrailleTables(first, second);
  EXPECT_EQ(first, 3);
  auto guard = display->lock();
  EXPECT_EQ(module<QrEmu::BrailleTableSlots>().activeSlot, 3);
}

TEST_F(DeviceMaintenanceOnPtyTest, PocketReader) {
  serve(144, 0);
  device->receiveBrailleTable(table, L"ENGLISH", 0, false);
  {
    auto guard = display->lock();
    EXPECT_EQ(module<QrEmu::PocketReaderStorage>().tableName, "ENGLISH");
    EXPECT_EQ(module<QrEmu::PocketReaderStorage>().table, QrEmu::Bytes(table, table + 256));
  }
  device->deleteFlash();
  device->doFactoryReset();
  auto guard = display->lock();
  EXPECT_EQ(module<QrEmu::PocketReaderStorage>().erases, 1u);
  EXPECT_EQ(module<QrEmu::PocketReaderStorage>().factoryResets, 1u);
  EXPECT_TRUE(module<QrEmu::PocketReaderStorage>().table.empty());
}

}  // namespace
}  // namespace QrCom
