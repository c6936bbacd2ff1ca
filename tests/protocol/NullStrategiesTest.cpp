#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/DirectoryEntry.h"
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

using namespace QrTest;

// A letter per operation: N when it fails as not supported, '.' when it does something else (on
// a silent port, mostly failing to read).
std::string refusals(const std::vector<std::function<void()>>& operations) {
  ScopedVirtualClock clock;
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

std::string refusals(FileTransferStrategy& s, ScriptedPort& port) {
  std::vector<DirectoryEntry> list;
  uint64_t size = 0;
  return refusals(
      {[&] { s.receiveFile(port, nullptr, L"-", L"A", 0, 1, nullptr); },
       [&] { s.sendFile(port, nullptr, L"A", L"", 1, nullptr); },
       [&] { s.makeDirectory(port, L"D"); }, [&] { s.changeDirectory(port, L"D"); },
       [&] { s.makePath(port, L"/D"); }, [&] { s.sendFileList(port, list); },
       [&] { s.sendFolderList(port, list); }, [&] { s.sendDiskSpace(port, size, size); },
       [&] { s.deleteFile(port, L"A"); }, [&] { s.renameFile(port, L"A", L"B"); },
       [&] { s.checkMassStorageProtocolActive(port); }, [&] { s.lockMassStorageProtocol(port); },
       [&] { s.releaseMassStorageProtocol(port); }});
}

std::string refusals(DeviceMaintenanceStrategy& s, ScriptedPort& port) {
  const uint8_t table[256] = {};
  int slot = 0;
  BrailleTablesNames names;
  wchar_t pin[8];
  BatteryInfo battery;
  DeviceDateTime time;
  return refusals(
      {[&] { s.receiveBrailleTable(port, table, L"T", 1, false); },
       [&] { s.getUsedBrailleTables(port, slot, slot); }, [&] { s.activateBrailleTable(port, 1); },
       [&] { s.getBrailleTablesNames(port, names); }, [&] { s.deleteFlash(port); },
       [&] { s.doFactoryReset(port); }, [&] { s.setBluetoothPin(port, L"1234"); },
       [&] { s.getBluetoothPin(port, pin, 8); }, [&] { s.requestBatteryInfo(port, &battery); },
       [&] { s.startBatteryTestMode(port); }, [&] { s.setRealTimeClock(port, time); },
       [&] { s.getRealTimeClock(port, &time); }, [&] { s.isMassStorageProtocolActive(port); },
       [&] { s.lockMassStorageProtocol(port); }, [&] { s.releaseMassStorageProtocol(port); }});
}

std::string refusals(MonitorModeStrategy& s, ScriptedPort& port) {
  return refusals({[&] { s.startGlint(port); }, [&] { s.stopGlint(port); }});
}

// The services a strategy claims (its clone's when they differ) and the operations it refuses.
template <typename Strategy>
std::string profile(Strategy&& strategy) {
  ScriptedPort port;
  const std::string own = claimedServices(strategy);
  const std::string clone = claimedServices(*strategy.clone());
  return (own == clone ? own : own + " (clone: " + clone + ")") + " | " + refusals(strategy, port);
}

TEST(ProtocolStrategiesTest, ServicesAndRefusals) {
  EXPECT_EQ(profile(NoFileTransferStrategy()), " | NNNNNNNNNNNNN");
  EXPECT_EQ(profile(BrailleSystemVersion2000FileTransferStrategy()),
            "4 5 6 7 8 15 | ..NNN.N.NNNNN");
  EXPECT_EQ(profile(BrailleSystemVersion2005FileTransferStrategy()),
            "4 5 6 7 8 9 10 15 | ..NNN.N...NNN");
  EXPECT_EQ(profile(BrailleSystemVersion20010FileTransferStrategy(0x74)),
            "4 5 6 7 8 9 10 15 18 20 | ..NNN.N...NNN");
  EXPECT_EQ(profile(QrBrlOsFileTransferStrategy(0x54)),
            "4 5 6 7 8 9 10 15 18 20 31 32 | ......N...NNN");
  EXPECT_EQ(profile(QrBrlOsVersion102FileTransferStrategy(0x54)),
            "4 5 6 7 8 9 10 15 18 20 31 32 33 | ..........NNN");
  EXPECT_EQ(profile(PagelingFileTransferStrategy()), "4 17 | .NNNNNNNNNNNN");
  EXPECT_TRUE(PagelingFileTransferStrategy().clone()->usesPocketReaderProtocol());

  EXPECT_EQ(profile(NoDeviceMaintenanceStrategy()), " | NNNNNNNNNNNNNNN");
  EXPECT_EQ(profile(BrailleSystemVersion2000MaintenanceStrategy()), "14 | .NNNNNNNNNNN.NN");
  EXPECT_EQ(profile(BrailleSystemVersion2005MaintenanceStrategy()), "14 16 | .NNNNNNNNNNN.NN");
  EXPECT_EQ(profile(BrailleSystemVersion20010MaintenanceStrategy()), "14 16 19 | ..NNNNNNNNNN.NN");
  EXPECT_EQ(profile(BrailleSystemVersion428MaintenanceStrategy()), "14 16 19 22 | ....NNNNNNNN.NN");
  EXPECT_EQ(profile(QrBrlOsMaintenanceStrategy(0x54, false)),
            "14 16 19 22 23 24 25 26 27 28 | ....NN.......NN");
  EXPECT_EQ(profile(QrBrlOsMaintenanceStrategy(0x54, true)), "23 24 25 26 27 28 | NNNNNN.......NN");
  EXPECT_EQ(profile(QrBrlOsVersion103MaintenanceStrategy(0x54)),
            "14 16 19 22 23 24 25 26 27 28 34 | ....NN.........");
  EXPECT_EQ(profile(FnxMaintenanceStrategy(0x84, false)), "23 24 25 26 | ....NN.........");
  EXPECT_EQ(
      static_cast<FnxMaintenanceStrategy&>(*FnxMaintenanceStrategy(0x84, false).clone()).modelId(),
      0x84);
  EXPECT_EQ(profile(PagelingMaintenanceStrategy()), "2 3 14 | .NNN..NNNNNN...");

  EXPECT_EQ(profile(PlanoMonitorModeStrategy()), "1 | NN");
  EXPECT_EQ(profile(PagelingMonitorModeStrategy()), "1 | NN");
  EXPECT_EQ(profile(QrBrlOsMonitorModeStrategy()), "1 35 | ..");
  NoMonitorModeStrategy none;
  ScriptedPort port;
  EXPECT_EQ(refusals({[&] { none.startMonitorMode(port, nullptr, nullptr); },
                      [&] { none.stopMonitorMode(); }, [&] { none.startGlint(port); },
                      [&] { none.stopGlint(port); }}) +
                claimedServices(none),
            "NNNN");
}

}  // namespace
}  // namespace QrCom
