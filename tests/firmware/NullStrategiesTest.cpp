#include <gtest/gtest.h>

#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/IsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/SerialNumberRequestStrategy.h"
#include "qrcom/firmware/ServiceInfo.h"
#include "qrcom/firmware/ServiceInfoMaintenanceStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom::NullFirmware {
namespace {

using QrTest::claimedServices;

// The null strategies, and what the older displays' upload lacks, fail with their prefixes.
TEST(FirmwareNullStrategiesTest, EveryOperationFailsAsNotSupported) {
  QrTest::ScriptedPort port;
  NoFirmwareUploadStrategy none;
  EpromVersion11FirmwareUploadStrategy eprom(nullptr, 0x74, 40);
  NoSerialNumberRequestStrategy serial;
  NoFirmwareVersionRequestStrategy version;
  NoIsBluetoothVersionRequestStrategy bluetooth;
  NoServiceInfoMaintenanceStrategy service;
  ServiceInfo info;
  const std::wstring upload = L"NoFirmwareUploadStrategy::";
  const std::wstring number = L"NoSerialNumberRequestStrategy::";
  EXPECT_TRUE(QrTest::eachFailsAsNotSupported({
      {[&] { none.loadFirmware(port, L"", nullptr); }, upload + L"loadFirmware -- "},
      {[&] { none.loadBtFirmware(port, L"", nullptr); }, upload + L"loadBtFirmware -- "},
      {[&] { none.executeBrailleFirmwareUpdate(port, L"", nullptr); },
       upload + L"executeBrailleFirmwareUpdate -- "},
      {[&] { none.executeUsbFirmwareUpdate(port, L"", nullptr); },
       upload + L"executeUsbFirmwareUpdate -- "},
      {[&] { none.restartSystem(port, true); }, upload + L"restartSystem -- "},
      {[&] { eprom.loadBtFirmware(port, L"", nullptr); }, upload + L"loadBtFirmware -- "},
      {[&] { eprom.executeBrailleFirmwareUpdate(port, L"", nullptr); },
       upload + L"executeBrailleFirmwareUpdate -- "},
      {[&] { eprom.executeUsbFirmwareUpdate(port, L"", nullptr); },
       upload + L"executeUsbFirmwareUpdate -- "},
      {[&] { eprom.restartSystem(port, true); },
       L"EpromVersion11FirmwareUploadStrategy::restartSystem -- "},
      {[&] { serial.getSerialNumber(); }, number + L"getSerialNumber -- "},
      {[&] { serial.setSerialNumber(port, L"AB-17"); }, number + L"setSerialNumber -- "},
      {[&] { serial.hasValidSerialNumber(); }, number + L"hasValidSerialNumber "},
      {[&] { serial.hasDefaultSerialNumber(); }, number + L"hasDefaultSerialNumber "},
      {[&] { serial.getDeliveryYear(); }, number + L"getDeliveryYear -- "},
      {[&] { version.getFirmwareVersion(); },
       L"NoFirmwareVersionRequestStrategy::getFirmwareVersion -- "},
      {[&] { bluetooth.isBluetoothVersion(); },
       L"NoIsBluetoothVersionRequestStrategy::isBluetoothVersion -- "},
      {[&] { service.sendServiceInformation(port, info); }, L"BrailleSystem::startMonitorMode -- "},
      {[&] { service.receiveServiceInformation(port, info); },
       L"BrailleSystem::startMonitorMode -- "},
  }));
  EXPECT_EQ(claimedServices(none) + claimedServices(serial) + claimedServices(version) +
                claimedServices(bluetooth) + claimedServices(service),
            "");
  EXPECT_EQ(claimedServices(eprom), "11");
  EXPECT_TRUE(port.written().empty());
}

}  // namespace
}  // namespace QrCom::NullFirmware
