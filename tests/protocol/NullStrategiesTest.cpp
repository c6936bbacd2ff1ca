#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/MonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom {
namespace {

using namespace QrTest;

// The services each firmware generation adds, and what the null strategies refuse.
TEST(ProtocolStrategiesTest, ServicesAndRefusals) {
  EXPECT_EQ(claimedServices(BrailleSystemVersion2005FileTransferStrategy()), "4 5 6 7 8 9 10 15");
  EXPECT_EQ(claimedServices(QrBrlOsFileTransferStrategy(0x54)), "4 5 6 7 8 9 10 15 18 20 31 32");
  EXPECT_EQ(claimedServices(QrBrlOsVersion103MaintenanceStrategy(0x54)),
            "14 16 19 22 23 24 25 26 27 28 34");
  ScriptedPort port;
  NoFileTransferStrategy files;
  NoDeviceMaintenanceStrategy maintenance;
  NoMonitorModeStrategy monitor;
  EXPECT_THROW(files.makePath(port, L"/D"), WrongProtocolVersionException);
  EXPECT_THROW(maintenance.activateBrailleTable(port, 1), WrongProtocolVersionException);
  EXPECT_THROW(monitor.stopMonitorMode(), WrongProtocolVersionException);
  EXPECT_EQ(claimedServices(files) + claimedServices(maintenance) + claimedServices(monitor), "");
}

}  // namespace
}  // namespace QrCom
