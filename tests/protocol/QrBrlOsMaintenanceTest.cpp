#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/QrBrlOsMaintenanceStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom {
namespace {

using QrTest::claimedServices;
using QrTest::Conversation;
using QrTest::eachFailsAsNotSupported;
using QrTest::failsAsNotSupported;
using QrTest::failsWith;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr uint8_t kVantra = 0x54;
const std::wstring kPrefix = L"QrBrlOsMaintenanceStrategy::";

TEST(QrBrlOsMaintenanceTest, TableUploadHasTheCurrentHeaderWithoutTimeStamp) {
  uint8_t table[256] = {};
  ScriptedPort port;
  Conversation device(port);
  device.step("03", "06 03").step("0C 00 1C 54 05 00 00 00 00 00 00 00 C1 0F 16", "15 1A");
  QrBrlOsMaintenanceStrategy strategy(kVantra, false);
  EXPECT_TRUE(failsWith<ErrorOnDeviceException>(
      [&] { strategy.receiveBrailleTable(port, table, L"T", 1, true); },
      L"BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- Wrong command "
      L"confirmed (Wrong ACK)."));
  EXPECT_TRUE(device.finished());
}

TEST(QrBrlOsMaintenanceTest, TableNamesOverSeventyBytesAreRefused) {
  uint8_t table[256] = {};
  ScriptedPort port;
  QrBrlOsVersion103MaintenanceStrategy strategy(kVantra);
  EXPECT_TRUE(failsWith<InvalidArgumentException>(
      [&] { strategy.receiveBrailleTable(port, table, std::wstring(71, L'x'), 1, false); },
      L"BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- Braille table name "
      L"is longer than 70 bytes."));
  EXPECT_TRUE(port.calls().empty());

  Conversation device(port);
  device.step("03", "06 03")
      .step(
          "51 00 1C " + toHex(std::vector<uint8_t>(70, 'x')) + " 05 00 00 00 00 00 00 00 81 0F 16",
          "15 01");
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy.receiveBrailleTable(port, table, std::wstring(70, L'x'), 1, false); },
      L"BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- Invalid package "
      L"size."));
  EXPECT_TRUE(device.finished());
}

TEST(QrBrlOsMaintenanceTest, LegacyFlagSwitchesTheTableSlotsOff) {
  uint8_t table[256] = {};
  int a = 0;
  BrailleTablesNames names;
  ScriptedPort port;
  QrBrlOsMaintenanceStrategy strategy(kVantra, true);
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { strategy.receiveBrailleTable(port, table, L"T", 1, false); },
       kPrefix + L"receiveBrailleTable -- "},
      {[&] { strategy.getUsedBrailleTables(port, a, a); }, kPrefix + L"getUsedBrailleTables -- "},
      {[&] { strategy.activateBrailleTable(port, 1); }, kPrefix + L"activateBrailleTable -- "},
      {[&] { strategy.getBrailleTablesNames(port, names); },
       kPrefix + L"getBrailleTablesNames -- "},
  }));
  EXPECT_TRUE(port.calls().empty());

  EXPECT_EQ(claimedServices(strategy), "23 24 25 26 27 28");
  EXPECT_EQ(claimedServices(*strategy.clone()), "23 24 25 26 27 28");
  EXPECT_EQ(claimedServices(QrBrlOsMaintenanceStrategy(kVantra, false)),
            "14 16 19 22 23 24 25 26 27 28");
  EXPECT_EQ(claimedServices(QrBrlOsVersion103MaintenanceStrategy(kVantra)),
            "14 16 19 22 23 24 25 26 27 28 34");
  EXPECT_FALSE(QrBrlOsMaintenanceStrategy(kVantra, false).isMassStorageProtocolActive(port));
}

TEST(QrBrlOsMaintenanceTest, SetRealTimeClock) {
  ScriptedPort port;
  Conversation device(port);
  device.step("79 54 08 44 E8 07 05 06 07 08 09 16", "79 54 02 07 7E 16");
  DeviceDateTime time;
  time.year = 2024;
  time.month = 5;
  time.day = 6;
  time.hour = 7;
  time.minute = 8;
  time.second = 9;
  QrBrlOsMaintenanceStrategy strategy(kVantra, false);
  strategy.setRealTimeClock(port, time);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);

  ScriptedPort refusing;
  refusing.answerNextWrite(hex("79 54 02 07 00 16"));
  EXPECT_TRUE(failsWith<ErrorOnSettingDateTime>(
      [&] { strategy.setRealTimeClock(refusing, time); },
      kPrefix + L"setRealTimeClock -- No ACK for setting date and time received."));
}

TEST(QrBrlOsMaintenanceTest, GetRealTimeClock) {
  QrBrlOsMaintenanceStrategy strategy(kVantra, false);
  DeviceDateTime time;
  {
    // Only the type byte is right: enough. The year comes high byte first.
    ScriptedPort port;
    Conversation device(port);
    device.step("79 54 01 45 16", "00 00 00 45 07 E8 05 06 07 08 09 16");
    strategy.getRealTimeClock(port, &time);
    EXPECT_TRUE(device.finished());
    EXPECT_EQ(time.year, 2024);
    EXPECT_EQ(time.month, 5);
    EXPECT_EQ(time.day, 6);
    EXPECT_EQ(time.hour, 7);
    EXPECT_EQ(time.minute, 8);
    EXPECT_EQ(time.second, 9);
  }
  {
    ScriptedPort port;
    port.answerNextWrite(hex("00 00 00 46 07 E8 05 06 07 08 09 16"));
    EXPECT_TRUE(failsWith<ErrorOnReceivingDateTime>(
        [&] { strategy.getRealTimeClock(port, &time); },
        kPrefix + L"getRealTimeClock -- Error in protocol. Invalid answer."));
    EXPECT_EQ(time.year, 0);
    EXPECT_EQ(time.month, 0);
    EXPECT_EQ(time.day, 0);
  }
  ScriptedPort port;
  strategy.getRealTimeClock(port, nullptr);
  EXPECT_TRUE(port.calls().empty());
}

TEST(QrBrlOsMaintenanceTest, BatteryFigures) {
  QrBrlOsMaintenanceStrategy strategy(kVantra, false);
  BatteryInfo battery;
  {
    // L announces 30 bytes; 17 arrive, which is what the device always sends.
    ScriptedPort port;
    Conversation device(port);
    device.step("79 54 01 42 16", "79 54 1E 42 01 02 03 04 05 06 07 00 00 00 00 00 00 00 00 00 16");
    strategy.requestBatteryInfo(port, &battery);
    EXPECT_TRUE(device.finished());
    EXPECT_EQ(battery.firstWord, 0x0102);
    EXPECT_EQ(battery.secondWord, 0x0304);
    EXPECT_EQ(battery.thirdByte, 5);
    EXPECT_EQ(battery.fourthByte, 6);
    EXPECT_EQ(battery.fifthByte, 7);
  }
  {
    ScriptedPort port;
    port.answerNextWrite(hex("79 54 09 42 01 02 03 04 05"));
    EXPECT_TRUE(failsWith<ErrorOnReceivingBatteryInfo>(
        [&] { strategy.requestBatteryInfo(port, &battery); },
        kPrefix + L"requestBatteryInfo -- Error in protocol. Wrong frame size."));
    EXPECT_EQ(battery.firstWord, 0);
    EXPECT_EQ(battery.secondWord, 0);
  }
  {
    ScriptedPort port;
    port.answerNextWrite(hex("00 00 09 43"));
    EXPECT_TRUE(failsWith<ErrorOnReceivingBatteryInfo>(
        [&] { strategy.requestBatteryInfo(port, &battery); },
        kPrefix + L"requestBatteryInfo -- Error in protocol. Wrong answer."));
  }
  ScriptedPort port;
  EXPECT_TRUE(failsWith<ErrorOnReceivingBatteryInfo>(
      [&] { strategy.requestBatteryInfo(port, nullptr); },
      kPrefix + L"requestBatteryInfo -- Error in parameter."));
  EXPECT_TRUE(port.calls().empty());
}

TEST(QrBrlOsMaintenanceTest, BatteryTestMode) {
  QrBrlOsMaintenanceStrategy strategy(kVantra, false);
  ScriptedPort port;
  Conversation device(port);
  device.step("79 54 01 43 16", "79 54 02 07 7E 16");
  strategy.startBatteryTestMode(port);
  EXPECT_TRUE(device.finished());

  ScriptedPort refusing;
  refusing.answerNextWrite(hex("79 54 02 07 7F 16"));
  EXPECT_TRUE(failsWith<ErrorStartingBatteryTestMode>(
      [&] { strategy.startBatteryTestMode(refusing); },
      kPrefix + L"startBatteryTestMode -- No ACK for starting battery test mode received."));
}

TEST(QrBrlOsMaintenanceTest, BluetoothPin) {
  QrBrlOsMaintenanceStrategy strategy(kVantra, false);
  {
    // Checksum: 0x31 + 0x32 + 0x33 + 0x34 = 0xCA, negated 0x36.
    ScriptedPort port;
    Conversation device(port);
    device.step("79 54 06 46 36 31 32 33 34 16", "79 54 02 07 7E 16");
    strategy.setBluetoothPin(port, L"1234");
    EXPECT_TRUE(device.finished());

    port.setResponder(nullptr);
    port.answerNextWrite(hex("79 54 02 07 00 16"));
    EXPECT_TRUE(failsWith<ErrorOnSettingBluetoothPin>(
        [&] { strategy.setBluetoothPin(port, L"1234"); },
        kPrefix + L"setBluetoothPin -- Not ACK for setting bluetooth pin received."));
  }
  wchar_t pin[8] = L"xxxxxxx";
  {
    ScriptedPort port;
    Conversation device(port);
    device.step("79 54 01 47 16", "79 54 05 47 31 32 33 34 16");
    strategy.getBluetoothPin(port, pin, 5);
    EXPECT_TRUE(device.finished());
    EXPECT_EQ(std::wstring(pin), L"1234");
  }
  {
    // The PIN and its terminating zero need L = 5 characters.
    std::wcscpy(pin, L"xxxxxxx");
    ScriptedPort port;
    port.answerNextWrite(hex("79 54 05 47 31 32 33 34 16"));
    EXPECT_TRUE(failsWith<ErrorOnReceivingBluetoothPin>(
        [&] { strategy.getBluetoothPin(port, pin, 4); },
        kPrefix + L"getBluetoothPin -- The buffer is too small for the Bluetooth PIN."));
    EXPECT_EQ(std::wstring(pin), L"");
    EXPECT_EQ(pin[4], L'x');
  }
  {
    ScriptedPort port;
    port.answerNextWrite(hex("00 00 05 48"));
    EXPECT_TRUE(failsWith<ErrorOnReceivingBluetoothPin>(
        [&] { strategy.getBluetoothPin(port, pin, 8); },
        kPrefix + L"getBluetoothPin -- Error in protocol. Wrong answer-"));
    port.answerNextWrite(hex("79 54 05 47 31 32"));
    EXPECT_TRUE(failsWith<ErrorOnReceivingBluetoothPin>(
        [&] { strategy.getBluetoothPin(port, pin, 8); },
        kPrefix + L"getBluetoothPin -- Error in protocol. Wrong size."));
  }
}

TEST(QrBrlOsVersion103MaintenanceTest, MassStorageState) {
  QrBrlOsVersion103MaintenanceStrategy strategy(kVantra);
  for (const char* state : {"00", "01", "FF"}) {
    ScriptedPort port;
    Conversation device(port);
    device.step("70", std::string("06 70 ") + state + " 16").step("06 16");
    EXPECT_EQ(strategy.isMassStorageProtocolActive(port), std::string(state) == "00");
    EXPECT_TRUE(device.finished());
  }
  // Without the trailing SYNC nothing is acknowledged.
  ScriptedPort port;
  port.answerNextWrite(hex("06 70 00 17"));
  EXPECT_TRUE(strategy.isMassStorageProtocolActive(port));
  EXPECT_EQ(toHex(port.written()), "70");

  port.answerNextWrite(hex("15 1D"));
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy.isMassStorageProtocolActive(port); },
      L"QrBrlOsversion103MaintenanceStrategy::isMassStorageProtocolActive --  No detailled "
      L"description available."));
}

TEST(QrBrlOsVersion103MaintenanceTest, LockAndRelease) {
  QrBrlOsVersion103MaintenanceStrategy strategy(kVantra);
  ScriptedPort port;
  Conversation device(port);
  device.step("71", "06 71 16").step("06 16").step("72", "06 72 16").step("06 16");
  strategy.lockMassStorageProtocol(port);
  strategy.releaseMassStorageProtocol(port);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);

  ScriptedPort nak;
  nak.answerNextWrite(hex("15 0E"));
  EXPECT_TRUE(failsWith<ErrorOnDeviceException>(
      [&] { strategy.releaseMassStorageProtocol(nak); },
      L"QrBrlOsVersion103MaintenanceStrategy::releaseMassStorageProtocol -- Cannot write to "
      L"file."));
}

TEST(FnxMaintenanceTest, PacketCommandsWithItsOwnPrefixes) {
  FnxMaintenanceStrategy strategy(0x84, true);
  ScriptedPort port;
  Conversation device(port);
  device.step("79 84 01 42 16", "79 84 08 42 00 10 00 20 30 40 50 16")
      .step("79 84 01 43 16", "79 84 02 07 7E 16");
  BatteryInfo battery;
  strategy.requestBatteryInfo(port, &battery);
  strategy.startBatteryTestMode(port);
  EXPECT_TRUE(device.finished());
  EXPECT_EQ(battery.firstWord, 0x10);
  EXPECT_EQ(battery.fifthByte, 0x50);

  port.setResponder(nullptr);
  port.answerNextWrite(hex("79 84 02 07 00 16"));
  EXPECT_TRUE(failsWith<ErrorOnSettingBluetoothPin>(
      [&] { strategy.setBluetoothPin(port, L"0000"); },
      L"FnxMaintenanceStrategy::setBluetoothPin -- Not ACK for setting bluetooth pin received."));
  wchar_t pin[4];
  port.answerNextWrite(hex("00 00 01 00"));
  EXPECT_TRUE(failsWith<ErrorOnReceivingBluetoothPin>(
      [&] { strategy.getBluetoothPin(port, pin, 4); },
      L"FnxMaintenanceStrategy::getBluetoothPin -- Error in protocol. Wrong answer-"));
}

TEST(FnxMaintenanceTest, TablesAndClockDoNothing) {
  FnxMaintenanceStrategy strategy(0x84, false);
  ScriptedPort port;
  uint8_t table[256] = {};
  int a = 0;
  BrailleTablesNames names;
  DeviceDateTime time;
  strategy.receiveBrailleTable(port, table, L"T", 0, true);
  strategy.getUsedBrailleTables(port, a, a);
  strategy.activateBrailleTable(port, 12);
  strategy.getBrailleTablesNames(port, names);
  strategy.setRealTimeClock(port, time);
  strategy.getRealTimeClock(port, &time);
  strategy.lockMassStorageProtocol(port);
  strategy.releaseMassStorageProtocol(port);
  EXPECT_FALSE(strategy.isMassStorageProtocolActive(port));
  EXPECT_TRUE(port.calls().empty());
  EXPECT_TRUE(failsAsNotSupported([&] { strategy.deleteFlash(port); },
                                  L"BrailleSystemVersion2000MaintenanceStrategy::deleteFlash -- "));
  EXPECT_TRUE(strategy.usesLegacyTableSlots());
  EXPECT_EQ(claimedServices(strategy), "23 24 25 26");
  const auto copy = strategy.clone();
  EXPECT_EQ(static_cast<FnxMaintenanceStrategy&>(*copy).modelId(), 0x84);
}

}  // namespace
}  // namespace QrCom
