#include <gtest/gtest.h>

#include "qrcom/protocol/DeviceMaintenanceStrategy.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/FileTransferStrategy.h"
#include "qrcom/protocol/MonitorModeStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::failsAsNotSupported;

TEST(ProtocolNullStrategiesTest, FileTransferFailsEveryOperation) {
  QrTest::ScriptedPort port;
  NoFileTransferStrategy none;
  uint64_t total = 0;
  uint64_t free = 0;
  const std::wstring prefix = L"NoFileTransferStrategy::";
  EXPECT_TRUE(failsAsNotSupported(
      [&] { none.receiveFile(port, nullptr, L"a.txt", L"A.TXT", 0, 1, nullptr); },
      prefix + L"receiveFile -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.sendFile(port, nullptr, L"A.TXT", L"a.txt", 3, nullptr); },
                          prefix + L"sendFile -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.makeDirectory(port, L"D"); }, prefix + L"deleteFile -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.changeDirectory(port, L"/D"); }, prefix + L"deleteFile -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.makePath(port, L"/D/E"); }, prefix + L"makePath -- "));
  std::vector<DirectoryEntry> list;
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.sendFileList(port, list); }, prefix + L"sendFileList -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.sendFolderList(port, list); },
                                  prefix + L"sendFolderList -- "));
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(failsAsNotSupported([&] { none.sendDiskSpace(port, total, free); },
                                  prefix + L"sendDiskSpace -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.deleteFile(port, L"A"); }, prefix + L"deleteFile -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.renameFile(port, L"A", L"B"); }, prefix + L"renameFile -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.checkMassStorageProtocolActive(port); },
                                  prefix + L"checkMassStorageProtocolActive -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.lockMassStorageProtocol(port); },
                                  prefix + L"lockMassStorageProtocol -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.releaseMassStorageProtocol(port); },
                                  prefix + L"releaseMassStorageProtocol -- "));
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
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.receiveBrailleTable(port, table, L"German", 1, false); },
                          prefix + L"receiveBrailleTable -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.getUsedBrailleTables(port, first, second); },
                                  prefix + L"getUsedBrailleTables -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.activateBrailleTable(port, 1); },
                                  prefix + L"activateBrailleTable -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.deleteFlash(port); }, prefix + L"deleteFlash -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.doFactoryReset(port); }, prefix + L"doFactoryReset -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.setBluetoothPin(port, L"1234"); },
                                  prefix + L"setBluetoothPin -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.getBluetoothPin(port, pin, 8); },
                                  prefix + L"getBluetoothPin -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.requestBatteryInfo(port, &battery); },
                                  prefix + L"requestBatteryInfo -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.startBatteryTestMode(port); },
                                  prefix + L"startBatteryTestMode -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.setRealTimeClock(port, time); },
                                  prefix + L"setRealTimeClock -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.getRealTimeClock(port, &time); },
                                  prefix + L"getRealTimeClock -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.isMassStorageProtocolActive(port); },
                                  prefix + L"isMassStorageProtocolActive -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.lockMassStorageProtocol(port); },
                                  prefix + L"lockMassStorageProtocol -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.releaseMassStorageProtocol(port); },
                                  prefix + L"releaseMassStorageProtocol -- "));
  EXPECT_FALSE(none.usesLegacyTableSlots());
  EXPECT_FALSE(none.supportsService(22));
  EXPECT_TRUE(port.written().empty());
}

TEST(ProtocolNullStrategiesTest, MonitorModeFailsEveryOperationButTheQueries) {
  QrTest::ScriptedPort port;
  NoMonitorModeStrategy none;
  EXPECT_TRUE(failsAsNotSupported([&] { none.startMonitorMode(port, nullptr, nullptr); },
                                  L"NoMonitorModeStrategy::startMonitorMode -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.stopMonitorMode(); },
                                  L"NoMonitorModeStrategy::stopMonitorMode -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.startGlint(port); },
                                  L"NoMonitorModeStrategy::startGlint -- "));
  EXPECT_TRUE(
      failsAsNotSupported([&] { none.stopGlint(port); }, L"NoMonitorodeStrategy::stopGlint -- "));
  none.requestStop();
  EXPECT_FALSE(none.isActive());
  EXPECT_FALSE(none.supportsService(1));
  EXPECT_TRUE(port.written().empty());
}

}  // namespace
}  // namespace QrCom
