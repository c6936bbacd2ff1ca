#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/MonitorModeStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

// The Braille-table slots, as the updater uses them on the legacy line and the current firmware.
TEST(TableSlotsTest, Exchanges) {
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  Steps blocks;
  for (size_t at : {0, 78, 156, 234}) {
    blocks = blocks + block(frameOf(Bytes(table + at, table + std::min<size_t>(at + 78, 256))));
  }
  blocks = blocks + kEndOfFile + steps("FF");
  BrailleSystemVersion2000MaintenanceStrategy v2000;
  BrailleSystemVersion2005MaintenanceStrategy v2005;
  QrBrlOsMaintenanceStrategy current(0x54, false);
  QrBrlOsVersion103MaintenanceStrategy v103(0x54);
  // Uploads the table into `slot`: where the host purged.
  const auto upload = [&](DeviceMaintenanceStrategy& strategy, int slot, bool backwards,
                          const std::wstring& name = L"GER") {
    return [&, slot, backwards, name](SerialPort& port) {
      strategy.receiveBrailleTable(port, table, name, slot, backwards);
      return purges(port);
    };
  };
  // The names in slots 1 to 9 as "1=GER 4=US", after a stale one in slot 9.
  const auto names = [&](SerialPort& port) {
    BrailleTablesNames names;
    names.setName(9, L"stale");
    current.getBrailleTablesNames(port, names);
    std::string text;
    for (int slot = 0; slot <= 10; ++slot) {
      if (names.name(slot) != nullptr) {
        text += std::to_string(slot) + "=" + describe(*names.name(slot)) + " ";
      }
    }
    return text;
  };
  const auto used = [&](SerialPort& port) {
    int first = 0, second = 0;
    current.getUsedBrailleTables(port, first, second);
    return std::to_string(first) + " " + std::to_string(second);
  };
  const std::string prefix = "BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- ";
  const std::string range = "Slotnumber for braille table transmission is out of range.";
  play({
      {"slot 3", upload(v2005, 3, false), block("07 00 1C 47 45 52 05 83 0F 16") + blocks, "03"},
      {"slot 3 searched backwards", upload(v2005, 3, true),
       block("07 00 1C 47 45 52 05 C3 0F 16") + blocks, "03"},
      {"slot 0", upload(v2005, 0, false), steps(""), "InvalidArgument: " + prefix + range},
      {"backwards on the oldest", upload(v2000, 3, true), steps(""),
       "WrongProtocolVersion: " + prefix +
           "Backward search in braille tables is not implemented in the target device's firmware "
           "version"},
      // Code 29 means an invalid folder only to the file transfer.
      {"NAK 29", upload(v2000, 1, false), steps("03>15 1D"),
       "ErrorInProtocol: " + prefix + " No detailled description available."},
      {"the current header without time stamp", upload(current, 2, true, L"T"),
       steps("03>06 03|0C 00 1C 54 05 00 00 00 00 00 00 00 C2 0F 16>15 1A"),
       "ErrorOnDevice: " + prefix + "Wrong command confirmed (Wrong ACK)."},
      {"a name of 70 bytes", upload(v103, 1, false, std::wstring(70, L'x')),
       steps("03>06 03|51 00 1C " + toHex(Bytes(70, 'x')) +
             " 05 00 00 00 00 00 00 00 81 0F 16>15 01"),
       "ErrorInProtocol: " + prefix + "Invalid package size."},
      {"a name of 71 bytes", upload(v103, 1, false, std::wstring(71, L'x')), steps(""),
       "InvalidArgument: " + prefix + "Braille table name is longer than 70 bytes."},
      {"activation of slot 0 takes three seconds",
       [&](SerialPort& port) {
         ScopedVirtualClock clock;
         current.activateBrailleTable(port, 0);
         return std::to_string(clock->pauses().at(0)) + " " + purges(port);
       },
       steps("44>06 44|00 16>06 16"), "3000 44"},
      {"activation of slot 10",
       doing([&](SerialPort& port) { current.activateBrailleTable(port, 10); }), steps(""),
       "InvalidArgument: BrailleSystemVersion428MaintenanceStrategy:activateBrailleTable -- " +
           range},
      // Length (little-endian), then per slot a length byte and the ANSI name.
      {"names", names,
       steps("45>06 45 0F 00 03 47 45 52 00 00 05 55 53 B4 E4 31 00 00 00 00|06 16"),
       "1=GER 4=US\u00b4\u00e41 "},
      {"no data", names, steps("45>06 45 00 00|06 16")},
      {"a name past the end of the data", names, steps("45>06 45 06 00 01 41 01 42 05 43|06 16"),
       "1=A 2=B "},
      {"used tables", used, steps("0F>06 0F 02 05 16|06 16"), "2 5"},
      {"used tables without SYNC", used, steps("0F>06 0F 02 05 17"),
       "ErrorInProtocol: BrailleSystemVersion20010MaintenanceStrategy:getUsedBrailleTables -- "
       "Missing SYNC"},
  });
}

// Clock, battery, PIN and mass-storage lock: services the updater does not use.
TEST(MaintenancePacketsTest, Exchanges) {
  QrBrlOsVersion103MaintenanceStrategy strategy(0x54);
  const std::string ack = "79 54 02 07 7E 16";
  // The clock and the battery figures read, or what a failure left of 1 to 6 and 1 to 5.
  const auto read = [&](SerialPort& port) {
    DeviceDateTime t{1, 2, 3, 4, 5, 6};
    BatteryInfo info{1, 2, 3, 4, 5};
    const std::string failed = failure([&] {
      strategy.getRealTimeClock(port, &t);
      strategy.requestBatteryInfo(port, &info);
    });
    char text[96];
    std::snprintf(text, sizeof text, "%d %d %d %d %d %d %d %d %d %d %d ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, info.firstWord, info.secondWord, info.thirdByte,
                  info.fourthByte, info.fifthByte);
    return text + failed;
  };
  // The PIN read into a buffer of `capacity` characters, or what a failure left of xxxxxxx.
  const auto getPin = [&](uint32_t capacity) {
    return [&, capacity](SerialPort& port) {
      wchar_t pin[8] = L"xxxxxxx";
      const std::string failed = failure([&] { strategy.getBluetoothPin(port, pin, capacity); });
      return describe(std::wstring(pin, pin + 7)) + ", " + failed;
    };
  };
  play({
      // The year goes low byte first; the PIN with its negated checksum (0x31 + ... + 0x34).
      {"set the clock, battery test mode, set the PIN, lock and release",
       [&](SerialPort& port) {
         strategy.setRealTimeClock(port, {2024, 5, 6, 7, 8, 9});
         strategy.startBatteryTestMode(port);
         strategy.setBluetoothPin(port, L"1234");
         strategy.lockMassStorageProtocol(port);
         strategy.releaseMassStorageProtocol(port);
         return std::string(strategy.isMassStorageProtocolActive(port) ? "active " : "") +
                purges(port);
       },
       steps("79 54 08 44 E8 07 05 06 07 08 09 16>" + ack + "|79 54 01 43 16>" + ack +
             "|79 54 06 46 36 31 32 33 34 16>" + ack +
             "|71>06 71 16|06 16|72>06 72 16|06 16|70>06 70 00 16|06 16"),
       "active 79 54 08 44 E8 07 05 06 07 08 09 16||79 54 01 43 16||79 54 06 46 36 31 32 33 34 "
       "16||71||72|end"},
      // Only the type byte of the clock is checked, its year comes high byte first; the battery's
      // L announces 30 bytes, 17 arrive, which is what the device always sends.
      {"get the clock and the battery", read,
       steps("79 54 01 45 16>00 00 00 45 07 E8 05 06 07 08 09 16|79 54 01 42 16>79 54 1E 42 01 02 "
             "03 04 05 06 07 00 00 00 00 00 00 00 00 00 16"),
       "2024 5 6 7 8 9 258 772 5 6 7 (no failure)"},
      {"get the PIN", getPin(5), steps("79 54 01 47 16>79 54 05 47 31 32 33 34 16"),
       std::string("1234\0xx, (no failure)", 21)},
      // The PIN and its terminating zero need L = 5 characters; nothing beyond the buffer.
      {"a PIN longer than the buffer", getPin(4),
       steps("79 54 01 47 16>79 54 05 47 31 32 33 34 16"),
       std::string("\0xxxxxx, ", 9) +
           "ErrorOnReceivingBluetoothPin: QrBrlOsMaintenanceStrategy::getBluetoothPin -- " +
           "The buffer is too small for the Bluetooth PIN."},
  });
}

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
