#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/FnxMaintenanceStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion103MaintenanceStrategy.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Steps;
using QrTest::operator+;

// The names in slots 1 to 9 as "1=GER 4=US".
std::string slotsOf(const BrailleTablesNames& names) {
  std::string text;
  for (int slot = 0; slot <= 10; ++slot) {
    if (names.name(slot) != nullptr) {
      text += (text.empty() ? "" : " ") + std::to_string(slot) + "=" +
              QrTest::describe(*names.name(slot));
    }
  }
  return text;
}

// The Braille-table slots, as the updater uses them on the legacy line and the current firmware.
TEST(TableSlotsTest, Exchanges) {
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  Steps blocks;
  for (size_t at : {0, 78, 156, 234}) {
    blocks = blocks + QrTest::block(QrTest::frameOf(
                          QrTest::Bytes(table + at, table + std::min<size_t>(at + 78, 256))));
  }
  blocks = blocks + QrTest::kEndOfFile + Steps{{"FF", ""}};
  BrailleSystemVersion2000MaintenanceStrategy v2000;
  BrailleSystemVersion2005MaintenanceStrategy v2005;
  QrBrlOsMaintenanceStrategy current(0x54, false);
  QrBrlOsVersion103MaintenanceStrategy v103(0x54);
  const auto upload = [&](DeviceMaintenanceStrategy& strategy, int slot, bool backwards,
                          const std::wstring& name = L"GER") {
    return [&, slot, backwards, name](SerialPort& port) {
      strategy.receiveBrailleTable(port, table, name, slot, backwards);
      EXPECT_EQ(QrTest::purges(port), "03");
    };
  };
  const auto names = [&](const std::string& slots) {
    return [&, slots](SerialPort& port) {
      BrailleTablesNames names;
      names.setName(9, L"stale");
      current.getBrailleTablesNames(port, names);
      EXPECT_EQ(slotsOf(names), slots);
    };
  };
  const Steps ask = {{"45", "06 45"}};
  const std::string prefix = "BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- ";
  const std::string range = "Slotnumber for braille table transmission is out of range.";
  const std::string namesPrefix =
      "ErrorInProtocol: BrailleSystemVersion428MaintenanceStrategy:getBrailleTablesNames -- ";
  int first = 0;
  int second = 0;
  QrTest::replay({
      {"slot 3", upload(v2005, 3, false), QrTest::block("07 00 1C 47 45 52 05 83 0F 16") + blocks},
      {"slot 3 searched backwards", upload(v2005, 3, true),
       QrTest::block("07 00 1C 47 45 52 05 C3 0F 16") + blocks},
      {"slot 0", upload(v2005, 0, false), Steps(), "InvalidArgument: " + prefix + range},
      {"slot 10", upload(v2005, 10, false), Steps(), "InvalidArgument: " + prefix + range},
      {"backwards on the oldest", upload(v2000, 3, true), Steps(),
       "WrongProtocolVersion: " + prefix +
           "Backward search in braille tables is not implemented in the target device's firmware "
           "version"},
      // Code 29 means an invalid folder only to the file transfer.
      {"NAK 29", upload(v2000, 1, false), Steps{{"03", "15 1D"}},
       "ErrorInProtocol: " + prefix + " No detailled description available."},
      {"the current header without time stamp", upload(current, 1, true, L"T"),
       Steps{{"03", "06 03"}, {"0C 00 1C 54 05 00 00 00 00 00 00 00 C1 0F 16", "15 1A"}},
       "ErrorOnDevice: " + prefix + "Wrong command confirmed (Wrong ACK)."},
      {"a name of 70 bytes", upload(v103, 1, false, std::wstring(70, L'x')),
       Steps{{"03", "06 03"},
             {"51 00 1C " + QrTest::toHex(QrTest::Bytes(70, 'x')) +
                  " 05 00 00 00 00 00 00 00 81 0F 16",
              "15 01"}},
       "ErrorInProtocol: " + prefix + "Invalid package size."},
      {"a name of 71 bytes", upload(v103, 1, false, std::wstring(71, L'x')), Steps(),
       "InvalidArgument: " + prefix + "Braille table name is longer than 70 bytes."},
      {"activation of slot 0 takes three seconds",
       [&](SerialPort& port) {
         QrTest::ScopedVirtualClock clock;
         current.activateBrailleTable(port, 0);
         EXPECT_EQ(clock->pauses(), std::vector<uint32_t>{3000});
         EXPECT_EQ(QrTest::purges(port), "44");
       },
       Steps{{"44", "06 44"}, {"00 16", "06 16"}}},
      {"activation of slot 10", [&](SerialPort& port) { current.activateBrailleTable(port, 10); },
       Steps(),
       "InvalidArgument: BrailleSystemVersion428MaintenanceStrategy:activateBrailleTable -- " +
           range},
      // Length (little-endian), then per slot a length byte and the ANSI name.
      {"names", names("1=GER 4=US\u00b4\u00e41"),
       Steps{{"45", "06 45 0F 00 03 47 45 52 00 00 05 55 53 B4 E4 31 00 00 00 00"}, {"06 16", ""}}},
      {"no names", names(""),
       Steps{{"45", "06 45 09 00 00 00 00 00 00 00 00 00 00"}, {"06 16", ""}}},
      {"no data", names(""), Steps{{"45", "06 45 00 00"}, {"06 16", ""}}},
      {"a name past the end of the data", names("1=A 2=B"),
       Steps{{"45", "06 45 06 00 01 41 01 42 05 43"}, {"06 16", ""}}},
      {"no length", names(""), Steps{{"45", "06 45 05"}}, namesPrefix + "no length received"},
      {"names cut short", names(""), Steps{{"45", "06 45 05 00 01 41"}},
       namesPrefix + "error on receiving braille table names"},
      {"used tables",
       [&](SerialPort& port) {
         current.getUsedBrailleTables(port, first, second);
         EXPECT_EQ(first * 10 + second, 25);
       },
       Steps{{"0F", "06 0F 02 05 16"}, {"06 16", ""}}},
      {"used tables without SYNC",
       [&](SerialPort& port) { current.getUsedBrailleTables(port, first, second); },
       Steps{{"0F", "06 0F 02 05 17"}},
       "ErrorInProtocol: BrailleSystemVersion20010MaintenanceStrategy:getUsedBrailleTables -- "
       "Missing SYNC"},
  });
}

TEST(TableSlotsTest, NamesOfSlotsOneToNine) {
  BrailleTablesNames names;
  names.setName(0, L"zero");
  names.setName(10, L"ten");
  EXPECT_TRUE(names.empty());
  names.setName(1, L"GER");
  EXPECT_EQ(names.firstFreeSlot(), 2);
  for (int slot = 1; slot <= 9; ++slot) names.setName(slot, L"T" + std::to_wstring(slot));
  EXPECT_EQ(names.firstFreeSlot(), 0);
  EXPECT_EQ(names.findSlot(L"T7") * 10 + names.findSlot(L"T"), 70);
  names.setName(5, std::wstring(300, L'x'));
  EXPECT_EQ(names.name(5)->size(), 260u);
}

// Clock, battery, PIN and mass-storage lock: services the updater does not use.
TEST(MaintenancePacketsTest, Exchanges) {
  QrBrlOsVersion103MaintenanceStrategy strategy(0x54);
  DeviceDateTime time{2024, 5, 6, 7, 8, 9};
  BatteryInfo battery;
  wchar_t pin[8];
  const auto clockIs = [&](const std::string& text) {
    char shown[32];
    std::snprintf(shown, sizeof shown, "%u-%u-%u %u:%u:%u", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    EXPECT_EQ(shown, text);
  };
  const auto batteryIs = [&](const std::string& text) {
    EXPECT_EQ(std::to_string(battery.firstWord) + " " + std::to_string(battery.secondWord) + " " +
                  std::to_string(battery.thirdByte) + std::to_string(battery.fourthByte) +
                  std::to_string(battery.fifthByte),
              text);
  };
  const auto getPin = [&](uint32_t capacity) {
    return [&, capacity](SerialPort& port) {
      std::wcscpy(pin, L"xxxxxxx");
      try {
        strategy.getBluetoothPin(port, pin, capacity);
      } catch (const QrException&) {
        EXPECT_EQ(std::wstring(pin) + pin[4], L"x") << "left empty, and nothing beyond the buffer";
        throw;
      }
      EXPECT_EQ(std::wstring(pin), L"1234");
    };
  };
  const std::string kAck = "79 54 02 07 7E 16";
  const std::string prefix = "QrBrlOsMaintenanceStrategy::";
  QrTest::replay({
      {"set the clock, the year low byte first",
       [&](SerialPort& port) {
         strategy.setRealTimeClock(port, time);
         EXPECT_EQ(QrTest::purges(port), "79 54 08 44 E8 07 05 06 07 08 09 16|end");
       },
       Steps{{"79 54 08 44 E8 07 05 06 07 08 09 16", kAck}}},
      {"clock refused", [&](SerialPort& port) { strategy.setRealTimeClock(port, time); },
       Steps{{"79 54 08 44 E8 07 05 06 07 08 09 16", "79 54 02 07 00 16"}},
       "ErrorOnSettingDateTime: " + prefix +
           "setRealTimeClock -- No ACK for setting date and time received."},
      // Only the type byte is right: enough. The year comes high byte first.
      {"get the clock",
       [&](SerialPort& port) {
         strategy.getRealTimeClock(port, &time);
         clockIs("2024-5-6 7:8:9");
       },
       Steps{{"79 54 01 45 16", "00 00 00 45 07 E8 05 06 07 08 09 16"}}},
      {"a wrong clock answer",
       [&](SerialPort& port) {
         try {
           strategy.getRealTimeClock(port, &time);
         } catch (const QrException&) {
           clockIs("0-0-0 7:8:9");
           throw;
         }
       },
       Steps{{"79 54 01 45 16", "00 00 00 46 07 E8 05 06 07 08 09 16"}},
       "ErrorOnReceivingDateTime: " + prefix +
           "getRealTimeClock -- Error in protocol. Invalid answer."},
      {"no clock to fill", [&](SerialPort& port) { strategy.getRealTimeClock(port, nullptr); },
       Steps()},
      // L announces 30 bytes; 17 arrive, which is what the device always sends.
      {"battery",
       [&](SerialPort& port) {
         strategy.requestBatteryInfo(port, &battery);
         batteryIs("258 772 567");
       },
       Steps{{"79 54 01 42 16", "79 54 1E 42 01 02 03 04 05 06 07 00 00 00 00 00 00 00 00 00 16"}}},
      {"battery frame too short",
       [&](SerialPort& port) {
         try {
           strategy.requestBatteryInfo(port, &battery);
         } catch (const QrException&) {
           batteryIs("0 0 567");
           throw;
         }
       },
       Steps{{"79 54 01 42 16", "79 54 09 42 01 02 03 04 05"}},
       "ErrorOnReceivingBatteryInfo: " + prefix +
           "requestBatteryInfo -- Error in protocol. Wrong frame size."},
      {"a wrong battery answer",
       [&](SerialPort& port) { strategy.requestBatteryInfo(port, &battery); },
       Steps{{"79 54 01 42 16", "00 00 09 43"}},
       "ErrorOnReceivingBatteryInfo: " + prefix +
           "requestBatteryInfo -- Error in protocol. Wrong answer."},
      {"no battery figures to fill",
       [&](SerialPort& port) { strategy.requestBatteryInfo(port, nullptr); }, Steps(),
       "ErrorOnReceivingBatteryInfo: " + prefix + "requestBatteryInfo -- Error in parameter."},
      {"battery test mode", [&](SerialPort& port) { strategy.startBatteryTestMode(port); },
       Steps{{"79 54 01 43 16", kAck}}},
      {"battery test mode refused", [&](SerialPort& port) { strategy.startBatteryTestMode(port); },
       Steps{{"79 54 01 43 16", "79 54 02 07 7F 16"}},
       "ErrorStartingBatteryTestMode: " + prefix +
           "startBatteryTestMode -- No ACK for starting battery test mode received."},
      // Checksum: 0x31 + 0x32 + 0x33 + 0x34 = 0xCA, negated 0x36.
      {"set the PIN", [&](SerialPort& port) { strategy.setBluetoothPin(port, L"1234"); },
       Steps{{"79 54 06 46 36 31 32 33 34 16", kAck}}},
      {"PIN refused", [&](SerialPort& port) { strategy.setBluetoothPin(port, L"1234"); },
       Steps{{"79 54 06 46 36 31 32 33 34 16", "79 54 02 07 00 16"}},
       "ErrorOnSettingBluetoothPin: " + prefix +
           "setBluetoothPin -- Not ACK for setting bluetooth pin received."},
      {"get the PIN", getPin(5), Steps{{"79 54 01 47 16", "79 54 05 47 31 32 33 34 16"}}},
      // The PIN and its terminating zero need L = 5 characters.
      {"a PIN longer than the buffer", getPin(4),
       Steps{{"79 54 01 47 16", "79 54 05 47 31 32 33 34 16"}},
       "ErrorOnReceivingBluetoothPin: " + prefix +
           "getBluetoothPin -- The buffer is too small for the Bluetooth PIN."},
      {"a wrong PIN answer", getPin(8), Steps{{"79 54 01 47 16", "00 00 05 48"}},
       "ErrorOnReceivingBluetoothPin: " + prefix +
           "getBluetoothPin -- Error in protocol. Wrong answer-"},
      {"a PIN cut short", getPin(8), Steps{{"79 54 01 47 16", "79 54 05 47 31 32"}},
       "ErrorOnReceivingBluetoothPin: " + prefix +
           "getBluetoothPin -- Error in protocol. Wrong size."},
      {"mass storage active",
       [&](SerialPort& port) { EXPECT_TRUE(strategy.isMassStorageProtocolActive(port)); },
       Steps{{"70", "06 70 00 16"}, {"06 16", ""}}},
      {"mass storage inactive",
       [&](SerialPort& port) { EXPECT_FALSE(strategy.isMassStorageProtocolActive(port)); },
       Steps{{"70", "06 70 01 16"}, {"06 16", ""}}},
      // Without the trailing SYNC nothing is acknowledged.
      {"mass storage without SYNC",
       [&](SerialPort& port) { EXPECT_TRUE(strategy.isMassStorageProtocolActive(port)); },
       Steps{{"70", "06 70 00 17"}}},
      {"mass storage refused",
       [&](SerialPort& port) { strategy.isMassStorageProtocolActive(port); },
       Steps{{"70", "15 1D"}},
       "ErrorInProtocol: QrBrlOsversion103MaintenanceStrategy::isMassStorageProtocolActive --  No "
       "detailled description available."},
      {"lock and release",
       [&](SerialPort& port) {
         strategy.lockMassStorageProtocol(port);
         strategy.releaseMassStorageProtocol(port);
         EXPECT_EQ(QrTest::purges(port), "71||72|end");
       },
       Steps{{"71", "06 71 16"}, {"06 16", ""}, {"72", "06 72 16"}, {"06 16", ""}}},
      {"Fundo's battery and test mode",
       [&](SerialPort& port) {
         FnxMaintenanceStrategy fnx(0x84, true);
         fnx.requestBatteryInfo(port, &battery);
         fnx.startBatteryTestMode(port);
         batteryIs("16 32 486480");
       },
       Steps{{"79 84 01 42 16", "79 84 08 42 00 10 00 20 30 40 50 16"},
             {"79 84 01 43 16", "79 84 02 07 7E 16"}}},
  });
}

}  // namespace
}  // namespace QrCom
