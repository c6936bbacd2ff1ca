#pragma once

#include "qrcom/protocol/DeviceMaintenanceStrategy.h"

namespace QrCom {

// The pocket reader: one Braille table, erasing its flash and a factory reset. Service ids 2,
// 3 and 14.
class PagelingMaintenanceStrategy : public DeviceMaintenanceStrategy {
 public:
  // The table goes under the first 8 characters of `name`; the slot and the search direction
  // are the device's own business.
  void receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256], const std::wstring& name,
                           int slot, bool searchBackwards) override;
  void getUsedBrailleTables(SerialPort& port, int& first, int& second) override;
  void activateBrailleTable(SerialPort& port, uint8_t slot) override;
  void getBrailleTablesNames(SerialPort& port, BrailleTablesNames& names) override;
  void deleteFlash(SerialPort& port) override;
  // The device restarts without answering.
  void doFactoryReset(SerialPort& port) override;
  bool usesLegacyTableSlots() const override { return false; }
  void setBluetoothPin(SerialPort& port, const std::wstring& pin) override;
  void getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) override;
  void requestBatteryInfo(SerialPort& port, BatteryInfo* info) override;
  void startBatteryTestMode(SerialPort& port) override;
  void setRealTimeClock(SerialPort& port, const DeviceDateTime& time) override;
  void getRealTimeClock(SerialPort& port, DeviceDateTime* time) override;
  bool isMassStorageProtocolActive(SerialPort&) override { return false; }
  void lockMassStorageProtocol(SerialPort&) override {}
  void releaseMassStorageProtocol(SerialPort&) override {}
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
