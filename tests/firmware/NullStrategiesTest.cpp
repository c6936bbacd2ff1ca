#include <gtest/gtest.h>

#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/IsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/SerialNumberRequestStrategy.h"
#include "qrcom/firmware/ServiceInfo.h"
#include "qrcom/firmware/ServiceInfoMaintenanceStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::eachFailsAsNotSupported;
using QrTest::failsAsNotSupported;

TEST(FirmwareNullStrategiesTest, FirmwareUploadFailsEveryOperation) {
  QrTest::ScriptedPort port;
  NoFirmwareUploadStrategy none;
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { none.loadFirmware(port, L"a.h00", nullptr); },
       L"NoFirmwareUploadStrategy::loadFirmware -- "},
      {[&] { none.loadBtFirmware(port, L"bt.rom", nullptr); },
       L"NoFirmwareUploadStrategy::loadBtFirmware -- "},
      {[&] { none.executeBrailleFirmwareUpdate(port, L"8051.hex", nullptr); },
       L"NoFirmwareUploadStrategy::executeBrailleFirmwareUpdate -- "},
      {[&] { none.executeUsbFirmwareUpdate(port, L"vnc2.rom", nullptr); },
       L"NoFirmwareUploadStrategy::executeUsbFirmwareUpdate -- "},
      {[&] { none.restartSystem(port, true); }, L"NoFirmwareUploadStrategy::restartSystem -- "},
  }));
  none.cancel();
  EXPECT_FALSE(none.supportsService(11));
  EXPECT_NE(dynamic_cast<NoFirmwareUploadStrategy*>(none.clone().get()), nullptr);
  EXPECT_TRUE(port.written().empty());
}

TEST(FirmwareNullStrategiesTest, IdentityQueriesFailEveryOperation) {
  QrTest::ScriptedPort port;
  NoSerialNumberRequestStrategy serial;
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { serial.getSerialNumber(); }, L"NoSerialNumberRequestStrategy::getSerialNumber -- "},
      {[&] { serial.setSerialNumber(port, L"AB-17"); },
       L"NoSerialNumberRequestStrategy::setSerialNumber -- "},
      {[&] { serial.hasValidSerialNumber(); },
       L"NoSerialNumberRequestStrategy::hasValidSerialNumber "},
      {[&] { serial.hasDefaultSerialNumber(); },
       L"NoSerialNumberRequestStrategy::hasDefaultSerialNumber "},
      {[&] { serial.getDeliveryYear(); }, L"NoSerialNumberRequestStrategy::getDeliveryYear -- "},
  }));
  EXPECT_FALSE(serial.supportsService(12));

  NoFirmwareVersionRequestStrategy version;
  EXPECT_TRUE(failsAsNotSupported([&] { version.getFirmwareVersion(); },
                                  L"NoFirmwareVersionRequestStrategy::getFirmwareVersion -- "));
  EXPECT_FALSE(version.supportsService(36));

  NoIsBluetoothVersionRequestStrategy bluetooth;
  EXPECT_TRUE(failsAsNotSupported([&] { bluetooth.isBluetoothVersion(); },
                                  L"NoIsBluetoothVersionRequestStrategy::isBluetoothVersion -- "));
  EXPECT_FALSE(bluetooth.supportsService(37));

  EXPECT_TRUE(port.written().empty());
}

TEST(FirmwareNullStrategiesTest, ServiceInformationFailsBothWaysWithOnePrefix) {
  QrTest::ScriptedPort port;
  NoServiceInfoMaintenanceStrategy none;
  ServiceInfo info;
  EXPECT_TRUE(failsAsNotSupported([&] { none.sendServiceInformation(port, info); },
                                  L"BrailleSystem::startMonitorMode -- "));
  EXPECT_TRUE(failsAsNotSupported([&] { none.receiveServiceInformation(port, info); },
                                  L"BrailleSystem::startMonitorMode -- "));
  EXPECT_FALSE(none.supportsService(21));
  EXPECT_NE(dynamic_cast<NoServiceInfoMaintenanceStrategy*>(none.clone().get()), nullptr);
  EXPECT_TRUE(port.written().empty());
}

}  // namespace
}  // namespace QrCom
