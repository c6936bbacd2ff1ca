// Every maintenance operation of every generation against a fuzzed device: Braille-table slots
// and their names, PIN, battery, clock, flash, factory reset and the mass-storage lock.
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include "fuzz/support/FuzzPort.h"
#include "fuzz/support/Strategies.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/MaintenanceSelection.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/DeviceMaintenanceStrategy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const QrFuzz::Generation& generation = choose.pick(QrFuzz::kGenerations);
  const uint8_t operation = choose.byte();
  auto strategy = QrCom::selectMaintenance(generation.modelId, generation.version);
  QrFuzz::FuzzPort port(*clock, data, size, operation);
  try {
    switch ((operation & 0x3F) % 12) {
      case 0: {
        QrCom::BrailleTablesNames names;
        strategy->getBrailleTablesNames(port, names);
        for (int slot = QrCom::BrailleTablesNames::kFirstSlot;
             slot <= QrCom::BrailleTablesNames::kLastSlot; ++slot) {
          const std::wstring* name = names.name(slot);
          if (name != nullptr && name->size() > QrCom::BrailleTablesNames::kMaxName) std::abort();
        }
        break;
      }
      case 1: {
        int first = 0;
        int second = 0;
        strategy->getUsedBrailleTables(port, first, second);
        break;
      }
      case 2: {
        wchar_t pin[9];
        std::wmemset(pin, L'#', 9);
        strategy->getBluetoothPin(port, pin, 5);
        if (pin[5] != L'#') std::abort();  // nothing beyond the capacity given
        break;
      }
      case 3: {
        QrCom::BatteryInfo info;
        strategy->requestBatteryInfo(port, &info);
        break;
      }
      case 4: {
        QrCom::DeviceDateTime time;
        strategy->getRealTimeClock(port, &time);
        break;
      }
      case 5: {
        const uint8_t table[256] = {1, 2, 3};
        strategy->receiveBrailleTable(port, table, L"German", 1 + operation % 9, true);
        break;
      }
      case 6:
        strategy->activateBrailleTable(port, static_cast<uint8_t>(1 + operation % 9));
        break;
      case 7:
        strategy->setBluetoothPin(port, L"1234");
        break;
      case 8: {
        QrCom::DeviceDateTime time{2024, 5, 1, 6, 7, 8};
        strategy->setRealTimeClock(port, time);
        break;
      }
      case 9:
        strategy->deleteFlash(port);
        strategy->doFactoryReset(port);
        break;
      case 10:
        (void)strategy->isMassStorageProtocolActive(port);
        strategy->lockMassStorageProtocol(port);
        strategy->releaseMassStorageProtocol(port);
        break;
      default:
        strategy->startBatteryTestMode(port);
        break;
    }
  } catch (const QrCom::QrException&) {
  }
  return 0;
}
