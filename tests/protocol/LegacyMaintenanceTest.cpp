#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion2000MaintenanceStrategy.h"
#include "qrcom/protocol/BrailleSystemVersion20010MaintenanceStrategy.h"
#include "qrcom/protocol/BrailleSystemVersion2005MaintenanceStrategy.h"
#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::claimedServices;
using QrTest::Conversation;
using QrTest::eachFailsAsNotSupported;
using QrTest::failsAsNotSupported;
using QrTest::failsWith;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr wchar_t kUploadPrefix[] =
    L"BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- ";
constexpr wchar_t kOutOfRange[] = L"Slotnumber for braille table transmission is out of range.";

struct Table {
  uint8_t bytes[256];
  Table() {
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(255 - i);
  }
};

// The device's side of a table upload after the header frame: four data blocks, END_OF_FILE
// and the closing 0xFF.
void expectTableBlocks(Conversation& device, const Table& table) {
  size_t offset = 0;
  for (size_t length : {78, 78, 78, 22}) {
    const Bytes data(table.bytes + offset, table.bytes + offset + length);
    device.step("03", "06 03")
        .step(toHex({static_cast<uint8_t>(length), 0}) + " " + toHex(data) + " 16", "06 16");
    offset += length;
  }
  device.step("04", "06 04").step("FF");
}

TEST(LegacyMaintenanceTest, TableUploadToSlotThreeForwardAndBackward) {
  const Table table;
  for (bool backwards : {false, true}) {
    ScriptedPort port;
    Conversation device(port);
    device.step("03", "06 03")
        .step(backwards ? "07 00 1C 47 45 52 05 C3 0F 16" : "07 00 1C 47 45 52 05 83 0F 16",
              "06 16");
    expectTableBlocks(device, table);
    BrailleSystemVersion2005MaintenanceStrategy strategy;
    EXPECT_EQ(QrTest::failureOf(
                  [&] { strategy.receiveBrailleTable(port, table.bytes, L"GER", 3, backwards); }),
              L"(no failure)");
    EXPECT_TRUE(device.finished());
    EXPECT_EQ(port.calls().front().type, ScriptedPort::Call::Purge);
  }
}

TEST(LegacyMaintenanceTest, ArgumentsAreCheckedBeforeAnythingIsSent) {
  const Table table;
  ScriptedPort port;
  BrailleSystemVersion428MaintenanceStrategy strategy;
  for (int slot : {0, 10, -1}) {
    EXPECT_TRUE(failsWith<InvalidArgumentException>(
        [&] { strategy.receiveBrailleTable(port, table.bytes, L"GER", slot, false); },
        std::wstring(kUploadPrefix) + kOutOfRange));
  }
  EXPECT_TRUE(failsWith<InvalidArgumentException>(
      [&] { strategy.activateBrailleTable(port, 10); },
      std::wstring(L"BrailleSystemVersion428MaintenanceStrategy:activateBrailleTable -- ") +
          kOutOfRange));
  BrailleSystemVersion2000MaintenanceStrategy oldest;
  EXPECT_TRUE(failsWith<WrongProtocolVersionException>(
      [&] { oldest.receiveBrailleTable(port, table.bytes, L"GER", 3, true); },
      std::wstring(kUploadPrefix) +
          L"Backward search in braille tables is not implemented in the target device's "
          L"firmware version"));
  EXPECT_TRUE(port.calls().empty());
}

TEST(LegacyMaintenanceTest, UploadFailsWithTheMaintenanceErrorTable) {
  const Table table;
  ScriptedPort port;
  port.answerNextWrite(hex("15 1D"));
  BrailleSystemVersion2000MaintenanceStrategy strategy;
  // Code 29 means an invalid folder only to the file transfer.
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy.receiveBrailleTable(port, table.bytes, L"GER", 1, false); },
      std::wstring(kUploadPrefix) + L" No detailled description available."));
  port.answerNextWrite(hex("15 13"));
  EXPECT_TRUE(failsWith<FileAlreadyExistsOnDeviceException>(
      [&] { strategy.receiveBrailleTable(port, table.bytes, L"GER", 1, false); },
      std::wstring(kUploadPrefix) + L"File already exists on device"));
}

TEST(LegacyMaintenanceTest, ActivationAcceptsSlotZeroAndWaitsThreeSeconds) {
  QrTest::ScopedVirtualClock clock;
  ScriptedPort port(&*clock);
  Conversation device(port);
  device.step("44", "06 44").step("00 16", "06 16");
  BrailleSystemVersion428MaintenanceStrategy strategy;
  strategy.activateBrailleTable(port, 0);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>{3000});
}

TEST(LegacyMaintenanceTest, UsedTables) {
  ScriptedPort port;
  Conversation device(port);
  device.step("0F", "06 0F 02 05 16").step("06 16");
  BrailleSystemVersion20010MaintenanceStrategy strategy;
  int first = 0;
  int second = 0;
  strategy.getUsedBrailleTables(port, first, second);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 5);

  ScriptedPort noSync;
  noSync.answerNextWrite(hex("06 0F 02 05 17"));
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy.getUsedBrailleTables(noSync, first, second); },
      L"BrailleSystemVersion20010MaintenanceStrategy:getUsedBrailleTables -- Missing SYNC"));
}

// The names answer: length (little-endian), then per slot a length byte and the name.
BrailleTablesNames namesFrom(const std::string& answer) {
  ScriptedPort port;
  Conversation device(port);
  device.step("45", "06 45 " + answer).step("06 16");
  BrailleTablesNames names;
  names.setName(9, L"stale");
  BrailleSystemVersion428MaintenanceStrategy().getBrailleTablesNames(port, names);
  EXPECT_TRUE(device.finished());
  return names;
}

TEST(LegacyMaintenanceTest, SlotNames) {
  const BrailleTablesNames names =
      namesFrom("0F 00 03 47 45 52 00 00 05 55 53 B4 E4 31 00 00 00 00");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(*names.name(1), L"GER");
  EXPECT_EQ(names.name(2), nullptr);
  EXPECT_EQ(*names.name(4), L"US\u00b4\u00e41");
  EXPECT_EQ(names.findSlot(L"GER"), 1);
  EXPECT_EQ(names.firstFreeSlot(), 2);

  EXPECT_TRUE(namesFrom("09 00 00 00 00 00 00 00 00 00 00").empty());
}

TEST(LegacyMaintenanceTest, SlotNamesStopAtTheEndOfTheData) {
  // Two slots, then a third whose name would run past the data: the rest counts as free.
  const BrailleTablesNames names = namesFrom("06 00 01 41 01 42 05 43");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(*names.name(2), L"B");
  EXPECT_EQ(names.name(3), nullptr);
  EXPECT_TRUE(namesFrom("00 00").empty());
}

TEST(LegacyMaintenanceTest, SlotNamesAnswerTooShort) {
  ScriptedPort port;
  BrailleTablesNames names;
  BrailleSystemVersion428MaintenanceStrategy strategy;
  const std::wstring prefix =
      L"BrailleSystemVersion428MaintenanceStrategy:getBrailleTablesNames -- ";
  port.answerNextWrite(hex("06 45 05"));
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy.getBrailleTablesNames(port, names); }, prefix + L"no length received"));
  port.answerNextWrite(hex("06 45 05 00 01 41"));
  EXPECT_TRUE(
      failsWith<ErrorInProtocolException>([&] { strategy.getBrailleTablesNames(port, names); },
                                          prefix + L"error on receiving braille table names"));
}

TEST(LegacyMaintenanceTest, WhatEachGenerationOffers) {
  ScriptedPort port;
  BrailleSystemVersion2000MaintenanceStrategy v2000;
  BrailleSystemVersion2005MaintenanceStrategy v2005;
  BrailleSystemVersion20010MaintenanceStrategy v20010;
  BrailleSystemVersion428MaintenanceStrategy v428;
  EXPECT_EQ(claimedServices(v2000), "14");
  EXPECT_EQ(claimedServices(v2005), "14 16");
  EXPECT_EQ(claimedServices(v20010), "14 16 19");
  EXPECT_EQ(claimedServices(v428), "14 16 19 22");
  EXPECT_EQ(claimedServices(*v428.clone()), "14 16 19 22");
  EXPECT_TRUE(v428.usesLegacyTableSlots());
  EXPECT_FALSE(v428.isMassStorageProtocolActive(port));

  int a = 0;
  BrailleTablesNames names;
  BatteryInfo battery;
  DeviceDateTime time;
  wchar_t pin[8];
  const std::wstring single = L"BrailleSystemVersion2000MaintenanceStrategy:";
  const std::wstring twice = L"BrailleSystemVersion2000MaintenanceStrategy::";
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { v2005.getUsedBrailleTables(port, a, a); }, single + L"getUsedBrailleTables -- "},
      {[&] { v20010.activateBrailleTable(port, 1); }, single + L"activateBrailleTable -- "},
      {[&] { v20010.getBrailleTablesNames(port, names); }, single + L"getBrailleTablesNames -- "},
      {[&] { v428.deleteFlash(port); }, twice + L"deleteFlash -- "},
      {[&] { v428.doFactoryReset(port); }, twice + L"doFactoryReset -- "},
      {[&] { v428.setBluetoothPin(port, L"1234"); }, single + L"setBluetoothPin -- "},
      {[&] { v428.getBluetoothPin(port, pin, 8); }, single + L"getBluetoothPin -- "},
      {[&] { v428.requestBatteryInfo(port, &battery); }, single + L"requestBatteryInfo -- "},
      {[&] { v428.startBatteryTestMode(port); }, single + L"startBatteryTestMode -- "},
      {[&] { v428.setRealTimeClock(port, time); }, single + L"setRealTimeClock -- "},
      {[&] { v428.getRealTimeClock(port, &time); }, single + L"getRealTimeClock -- "},
      {[&] { v428.lockMassStorageProtocol(port); }, twice + L"lockMassStorageProtocol -- "},
      {[&] { v428.releaseMassStorageProtocol(port); }, twice + L"releaseMassStorageProtocol -- "},
  }));
  EXPECT_TRUE(port.calls().empty());
}

TEST(BrailleTablesNamesTest, SlotsOneToNine) {
  BrailleTablesNames names;
  names.setName(0, L"zero");
  names.setName(10, L"ten");
  EXPECT_TRUE(names.empty());
  for (int slot = 1; slot <= 9; ++slot) names.setName(slot, L"T" + std::to_wstring(slot));
  EXPECT_EQ(names.firstFreeSlot(), 0);
  EXPECT_EQ(names.findSlot(L"T7"), 7);
  EXPECT_EQ(names.findSlot(L"T"), 0);
  names.setName(5, std::wstring(300, L'x'));
  EXPECT_EQ(names.name(5)->size(), 260u);
  names.clear();
  EXPECT_EQ(names.firstFreeSlot(), 1);
}

}  // namespace
}  // namespace QrCom
