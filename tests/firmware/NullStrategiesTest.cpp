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

// What the null strategies and the older displays' strategies lack fails with its prefix
// (where a value is owed, a missing failure would not even build).
TEST(FirmwareNullStrategiesTest, EveryOperationFailsAsNotSupported) {
  QrTest::ScriptedPort port;
  NoFirmwareUploadStrategy none;
  EpromVersion11FirmwareUploadStrategy eprom(nullptr, 0x74, 40);
  NoSerialNumberRequestStrategy serial;
  InfoModeSerialNumberRequestStrategy info;
  PagelingSerialNumberRequestStrategy pocket;
  NoServiceInfoMaintenanceStrategy service;
  ServiceInfo record;
  const std::wstring no = L"NoFirmwareUploadStrategy::";
  EXPECT_TRUE(QrTest::eachFailsAsNotSupported({
      {[&] { none.loadFirmware(port, L"", nullptr); }, no + L"loadFirmware -- "},
      {[&] { none.loadBtFirmware(port, L"", nullptr); }, no + L"loadBtFirmware -- "},
      {[&] { eprom.loadBtFirmware(port, L"", nullptr); }, no + L"loadBtFirmware -- "},
      {[&] { none.executeBrailleFirmwareUpdate(port, L"", {}); },
       no + L"executeBrailleFirmwareUpdate -- "},
      {[&] { eprom.executeBrailleFirmwareUpdate(port, L"", {}); },
       no + L"executeBrailleFirmwareUpdate -- "},
      {[&] { none.executeUsbFirmwareUpdate(port, L"", {}); }, no + L"executeUsbFirmwareUpdate -- "},
      {[&] { eprom.executeUsbFirmwareUpdate(port, L"", {}); },
       no + L"executeUsbFirmwareUpdate -- "},
      {[&] { serial.setSerialNumber(port, L""); },
       L"NoSerialNumberRequestStrategy::setSerialNumber -- "},
      {[&] { info.setSerialNumber(port, L""); },
       L"InfoModeSerialNumberRequestStrategy::setSerialNumber -- "},
      {[&] { pocket.setSerialNumber(port, L""); },
       L"PagelingSerialNumberRequestStrategy::setSerialNumber "},
      {[&] { service.sendServiceInformation(port, record); },
       L"BrailleSystem::startMonitorMode -- "},
      {[&] { service.receiveServiceInformation(port, record); },
       L"BrailleSystem::startMonitorMode -- "},
  }));
  EXPECT_EQ(QrTest::claimedServices(none) + QrTest::claimedServices(serial) +
                QrTest::claimedServices(service) +
                QrTest::claimedServices(NoFirmwareVersionRequestStrategy()) +
                QrTest::claimedServices(NoIsBluetoothVersionRequestStrategy()) +
                QrTest::claimedServices(eprom),
            "11");
  EXPECT_TRUE(port.written().empty());
}

}  // namespace
}  // namespace QrCom::NullFirmware
