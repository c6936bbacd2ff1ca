#include <gtest/gtest.h>

#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/firmware/IsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/PagelingSerialNumberRequestStrategy.h"
#include "qrcom/firmware/SerialNumberRequestStrategy.h"
#include "qrcom/firmware/ServiceInfo.h"
#include "qrcom/firmware/ServiceInfoMaintenanceStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom::NullFirmware {
namespace {

using QrTest::claimedServices;

// What the null strategies and the older displays' strategies lack fails with its prefix.
TEST(FirmwareNullStrategiesTest, EveryOperationFailsAsNotSupported) {
  QrTest::ScriptedPort port;
  NoFirmwareUploadStrategy none;
  EpromVersion11FirmwareUploadStrategy eprom(nullptr, 0x74, 40);
  NoSerialNumberRequestStrategy serial;
  InfoModeSerialNumberRequestStrategy info;
  PagelingSerialNumberRequestStrategy pageling;
  NoFirmwareVersionRequestStrategy version;
  NoIsBluetoothVersionRequestStrategy bluetooth;
  NoServiceInfoMaintenanceStrategy service;
  ServiceInfo record;
  const std::wstring upload = L"NoFirmwareUploadStrategy::",
                     number = L"NoSerialNumberRequestStrategy::";
  for (FirmwareUploadStrategy* strategy : std::vector<FirmwareUploadStrategy*>{&none, &eprom}) {
    EXPECT_TRUE(QrTest::eachFailsAsNotSupported({
        {[&] { strategy->loadBtFirmware(port, L"", nullptr); }, upload + L"loadBtFirmware -- "},
        {[&] { strategy->executeBrailleFirmwareUpdate(port, L"", nullptr); },
         upload + L"executeBrailleFirmwareUpdate -- "},
        {[&] { strategy->executeUsbFirmwareUpdate(port, L"", nullptr); },
         upload + L"executeUsbFirmwareUpdate -- "},
    }));
  }
  EXPECT_TRUE(QrTest::eachFailsAsNotSupported({
      {[&] { none.loadFirmware(port, L"", nullptr); }, upload + L"loadFirmware -- "},
      {[&] { none.restartSystem(port, true); }, upload + L"restartSystem -- "},
      {[&] { eprom.restartSystem(port, true); },
       L"EpromVersion11FirmwareUploadStrategy::restartSystem -- "},
      {[&] { serial.getSerialNumber(); }, number + L"getSerialNumber -- "},
      {[&] { serial.setSerialNumber(port, L""); }, number + L"setSerialNumber -- "},
      {[&] { serial.hasValidSerialNumber(); }, number + L"hasValidSerialNumber "},
      {[&] { serial.hasDefaultSerialNumber(); }, number + L"hasDefaultSerialNumber "},
      {[&] { serial.getDeliveryYear(); }, number + L"getDeliveryYear -- "},
      {[&] { info.setSerialNumber(port, L""); },
       L"InfoModeSerialNumberRequestStrategy::setSerialNumber -- "},
      {[&] { pageling.setSerialNumber(port, L""); },
       L"PagelingSerialNumberRequestStrategy::setSerialNumber "},
      {[&] { pageling.getDeliveryYear(); },
       L"PagelingSerialNumberRequestStrategy::getDeliveryYear "},
      {[&] { version.getFirmwareVersion(); },
       L"NoFirmwareVersionRequestStrategy::getFirmwareVersion -- "},
      {[&] { bluetooth.isBluetoothVersion(); },
       L"NoIsBluetoothVersionRequestStrategy::isBluetoothVersion -- "},
      {[&] { service.sendServiceInformation(port, record); },
       L"BrailleSystem::startMonitorMode -- "},
      {[&] { service.receiveServiceInformation(port, record); },
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
