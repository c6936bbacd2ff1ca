#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingFileTransferStrategy.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingMonitorModeStrategy.h"
#include "qrcom/protocol/PlanoMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsMonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

// The services a strategy claims, and its clone's when they differ.
template <typename Strategy>
std::string servicesOf(const Strategy& strategy) {
  const std::string own = QrTest::claimedServices(strategy);
  const std::string clone = QrTest::claimedServices(*strategy.clone());
  return own == clone ? own : own + " (clone: " + clone + ")";
}

// A letter per operation: N when it fails as not supported, '.' when it does something else (on
// a silent port, mostly failing to read).
std::string refusals(const std::vector<std::function<void()>>& operations) {
  QrTest::ScopedVirtualClock clock;
  std::string letters;
  for (const auto& operation : operations) {
    try {
      operation();
      letters += '.';
    } catch (const WrongProtocolVersionException&) {
      letters += 'N';
    } catch (const QrException&) {
      letters += '.';
    }
  }
  return letters;
}

TEST(ProtocolStrategiesTest, FileTransfer) {
  NoFileTransferStrategy none;
  BrailleSystemVersion2000FileTransferStrategy v2000;
  BrailleSystemVersion2005FileTransferStrategy v2005;
  BrailleSystemVersion20010FileTransferStrategy v20010(0x74);
  QrBrlOsFileTransferStrategy current(0x54);
  QrBrlOsVersion102FileTransferStrategy v102(0x54);
  PagelingFileTransferStrategy pocket;
  const auto refused = [](FileTransferStrategy& s) {
    QrTest::ScriptedPort port;
    std::vector<DirectoryEntry> list;
    uint64_t size = 0;
    return refusals({
        [&] { s.receiveFile(port, nullptr, L"-", L"A", 0, 1, nullptr); },
        [&] { s.sendFile(port, nullptr, L"A", L"", 1, nullptr); },
        [&] { s.makeDirectory(port, L"D"); },
        [&] { s.changeDirectory(port, L"D"); },
        [&] { s.makePath(port, L"/D"); },
        [&] { s.sendFileList(port, list); },
        [&] { s.sendFolderList(port, list); },
        [&] { s.sendDiskSpace(port, size, size); },
        [&] { s.deleteFile(port, L"A"); },
        [&] { s.renameFile(port, L"A", L"B"); },
        [&] { s.checkMassStorageProtocolActive(port); },
        [&] { s.lockMassStorageProtocol(port); },
        [&] { s.releaseMassStorageProtocol(port); },
    });
  };
  EXPECT_EQ(refused(none), "NNNNNNNNNNNNN");
  EXPECT_EQ(refused(v2000), "..NNN.N.NNNNN");
  EXPECT_EQ(refused(v2005), "..NNN.N...NNN");
  EXPECT_EQ(refused(v20010), "..NNN.N...NNN");
  EXPECT_EQ(refused(current), "......N...NNN");
  EXPECT_EQ(refused(v102), "..........NNN");
  EXPECT_EQ(refused(pocket), ".NNNNNNNNNNNN");
  EXPECT_EQ(servicesOf(none), "");
  EXPECT_EQ(servicesOf(v2000), "4 5 6 7 8 15");
  EXPECT_EQ(servicesOf(v2005), "4 5 6 7 8 9 10 15");
  EXPECT_EQ(servicesOf(v20010), "4 5 6 7 8 9 10 15 18 20");
  EXPECT_EQ(servicesOf(current), "4 5 6 7 8 9 10 15 18 20 31 32");
  EXPECT_EQ(servicesOf(v102), "4 5 6 7 8 9 10 15 18 20 31 32 33");
  EXPECT_EQ(servicesOf(pocket), "4 17");
  EXPECT_TRUE(pocket.clone()->usesPocketReaderProtocol());
}

TEST(ProtocolStrategiesTest, Maintenance) {
  NoDeviceMaintenanceStrategy none;
  BrailleSystemVersion2000MaintenanceStrategy v2000;
  BrailleSystemVersion2005MaintenanceStrategy v2005;
  BrailleSystemVersion20010MaintenanceStrategy v20010;
  BrailleSystemVersion428MaintenanceStrategy v428;
  QrBrlOsMaintenanceStrategy current(0x54, false);
  QrBrlOsMaintenanceStrategy currentLegacy(0x54, true);
  QrBrlOsVersion103MaintenanceStrategy v103(0x54);
  FnxMaintenanceStrategy fundo(0x84, false);
  PagelingMaintenanceStrategy pocket;
  const auto refused = [](DeviceMaintenanceStrategy& s) {
    QrTest::ScriptedPort port;
    const uint8_t table[256] = {};
    int slot = 0;
    BrailleTablesNames names;
    wchar_t pin[8];
    BatteryInfo battery;
    DeviceDateTime time;
    return refusals({
        [&] { s.receiveBrailleTable(port, table, L"T", 1, false); },
        [&] { s.getUsedBrailleTables(port, slot, slot); },
        [&] { s.activateBrailleTable(port, 1); },
        [&] { s.getBrailleTablesNames(port, names); },
        [&] { s.deleteFlash(port); },
        [&] { s.doFactoryReset(port); },
        [&] { s.setBluetoothPin(port, L"1234"); },
        [&] { s.getBluetoothPin(port, pin, 8); },
        [&] { s.requestBatteryInfo(port, &battery); },
        [&] { s.startBatteryTestMode(port); },
        [&] { s.setRealTimeClock(port, time); },
        [&] { s.getRealTimeClock(port, &time); },
        [&] { s.isMassStorageProtocolActive(port); },
        [&] { s.lockMassStorageProtocol(port); },
        [&] { s.releaseMassStorageProtocol(port); },
    });
  };
  EXPECT_EQ(refused(none), "NNNNNNNNNNNNNNN");
  EXPECT_EQ(refused(v2000), ".NNNNNNNNNNN.NN");
  EXPECT_EQ(refused(v2005), ".NNNNNNNNNNN.NN");
  EXPECT_EQ(refused(v20010), "..NNNNNNNNNN.NN");
  EXPECT_EQ(refused(v428), "....NNNNNNNN.NN");
  EXPECT_EQ(refused(current), "....NN.......NN");
  EXPECT_EQ(refused(currentLegacy), "NNNNNN.......NN");
  EXPECT_EQ(refused(v103), "....NN.........");
  EXPECT_EQ(refused(fundo), "....NN.........");
  EXPECT_EQ(refused(pocket), ".NNN..NNNNNN...");
  EXPECT_EQ(servicesOf(none), "");
  EXPECT_EQ(servicesOf(v2000), "14");
  EXPECT_EQ(servicesOf(v2005), "14 16");
  EXPECT_EQ(servicesOf(v20010), "14 16 19");
  EXPECT_EQ(servicesOf(v428), "14 16 19 22");
  EXPECT_EQ(servicesOf(current), "14 16 19 22 23 24 25 26 27 28");
  EXPECT_EQ(servicesOf(currentLegacy), "23 24 25 26 27 28");
  EXPECT_EQ(servicesOf(v103), "14 16 19 22 23 24 25 26 27 28 34");
  EXPECT_EQ(servicesOf(fundo), "23 24 25 26");
  EXPECT_EQ(servicesOf(pocket), "2 3 14");
  EXPECT_EQ(static_cast<FnxMaintenanceStrategy&>(*fundo.clone()).modelId(), 0x84);
}

TEST(ProtocolStrategiesTest, MonitorMode) {
  QrTest::ScriptedPort port;
  NoMonitorModeStrategy none;
  PlanoMonitorModeStrategy plano;
  PagelingMonitorModeStrategy pocket;
  QrBrlOsMonitorModeStrategy current;
  EXPECT_EQ(refusals({[&] { none.startMonitorMode(port, nullptr, nullptr); },
                      [&] { none.stopMonitorMode(); }, [&] { none.startGlint(port); },
                      [&] { none.stopGlint(port); }, [&] { plano.startGlint(port); },
                      [&] { plano.stopGlint(port); }, [&] { pocket.startGlint(port); },
                      [&] { pocket.stopGlint(port); }}),
            "NNNNNNNN");
  EXPECT_TRUE(port.written().empty());
  EXPECT_EQ(servicesOf(none) + "|" + servicesOf(plano) + "|" + servicesOf(pocket) + "|" +
                servicesOf(current),
            "|1|1|1 35");
}

}  // namespace
}  // namespace QrCom
