#include <gtest/gtest.h>

#include "qrcom/protocol/DeviceMaintenanceStrategy.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/FileTransferStrategy.h"
#include "qrcom/protocol/MonitorModeStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::eachFailsAsNotSupported;
using QrTest::failsAsNotSupported;

TEST(ProtocolNullStrategiesTest, FileTransferFailsEveryOperation) {
  QrTest::ScriptedPort port;
  NoFileTransferStrategy none;
  uint64_t total = 0;
  uint64_t free = 0;
  std::vector<DirectoryEntry> list;
  const std::wstring prefix = L"NoFileTransferStrategy::";
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { none.receiveFile(port, nullptr, L"a.txt", L"A.TXT", 0, 1, nullptr); },
       prefix + L"receiveFile -- "},
      {[&] { none.sendFile(port, nullptr, L"A.TXT", L"a.txt", 3, nullptr); },
       prefix + L"sendFile -- "},
      {[&] { none.makeDirectory(port, L"D"); }, prefix + L"deleteFile -- "},
      {[&] { none.changeDirectory(port, L"/D"); }, prefix + L"deleteFile -- "},
      {[&] { none.makePath(port, L"/D/E"); }, prefix + L"makePath -- "},
      {[&] { none.sendFileList(port, list); }, prefix + L"sendFileList -- "},
      {[&] { none.sendFolderList(port, list); }, prefix + L"sendFolderList -- "},
      {[&] { none.sendDiskSpace(port, total, free); }, prefix + L"sendDiskSpace -- "},
      {[&] { none.deleteFile(port, L"A"); }, prefix + L"deleteFile -- "},
      {[&] { none.renameFile(port, L"A", L"B"); }, prefix + L"renameFile -- "},
      {[&] { none.checkMassStorageProtocolActive(port); },
       prefix + L"checkMassStorageProtocolActive -- "},
      {[&] { none.lockMassStorageProtocol(port); }, prefix + L"lockMassStorageProtocol -- "},
      {[&] { none.releaseMassStorageProtocol(port); }, prefix + L"releaseMassStorageProtocol -- "},
  }));
  EXPECT_TRUE(list.empty());
  none.cancel();
  EXPECT_FALSE(none.usesPocketReaderProtocol());
  EXPECT_FALSE(none.supportsService(4));
  EXPECT_TRUE(port.written().empty());
}

TEST(ProtocolNullStrategiesTest, MaintenanceFailsEveryOperation) {
  QrTest::ScriptedPort port;
  NoDeviceMaintenanceStrategy none;
  const uint8_t table[256] = {};
  int first = 0;
  int second = 0;
  wchar_t pin[8];
  BatteryInfo battery;
  DeviceDateTime time;
  const std::wstring prefix = L"NoDeviceMaintenanceStrategy::";
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { none.receiveBrailleTable(port, table, L"German", 1, false); },
       prefix + L"receiveBrailleTable -- "},
      {[&] { none.getUsedBrailleTables(port, first, second); },
       prefix + L"getUsedBrailleTables -- "},
      {[&] { none.activateBrailleTable(port, 1); }, prefix + L"activateBrailleTable -- "},
      {[&] { none.deleteFlash(port); }, prefix + L"deleteFlash -- "},
      {[&] { none.doFactoryReset(port); }, prefix + L"doFactoryReset -- "},
      {[&] { none.setBluetoothPin(port, L"1234"); }, prefix + L"setBluetoothPin -- "},
      {[&] { none.getBluetoothPin(port, pin, 8); }, prefix + L"getBluetoothPin -- "},
      {[&] { none.requestBatteryInfo(port, &battery); }, prefix + L"requestBatteryInfo -- "},
      {[&] { none.startBatteryTestMode(port); }, prefix + L"startBatteryTestMode -- "},
      {[&] { none.setRealTimeClock(port, time); }, prefix + L"setRealTimeClock -- "},
      {[&] { none.getRealTimeClock(port, &time); }, prefix + L"getRealTimeClock -- "},
      {[&] { none.isMassStorageProtocolActive(port); },
       prefix + L"isMassStorageProtocolActive -- "},
      {[&] { none.lockMassStorageProtocol(port); }, prefix + L"lockMassStorageProtocol -- "},
      {[&] { none.releaseMassStorageProtocol(port); }, prefix + L"releaseMassStorageProtocol -- "},
  }));
  EXPECT_FALSE(none.usesLegacyTableSlots());
  EXPECT_FALSE(none.supportsService(22));
  EXPECT_TRUE(port.written().empty());
}

TEST(ProtocolNullStrategiesTest, MonitorModeFailsEveryOperationButTheQueries) {
  QrTest::ScriptedPort port;
  NoMonitorModeStrategy none;
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { none.startMonitorMode(port, nullptr, nullptr); },
       L"NoMonitorModeStrategy::startMonitorMode -- "},
      {[&] { none.stopMonitorMode(); }, L"NoMonitorModeStrategy::stopMonitorMode -- "},
      {[&] { none.startGlint(port); }, L"NoMonitorModeStrategy::startGlint -- "},
      {[&] { none.stopGlint(port); }, L"NoMonitorodeStrategy::stopGlint -- "},
  }));
  none.requestStop();
  EXPECT_FALSE(none.isActive());
  EXPECT_FALSE(none.supportsService(1));
  EXPECT_TRUE(port.written().empty());
}

}  // namespace
}  // namespace QrCom
