#pragma once

#include "qrcom/protocol/DeviceMaintenanceStrategy.h"

namespace QrCom {

// The oldest firmware of the legacy line: it can only store a Braille table in a slot.
class BrailleSystemVersion2000MaintenanceStrategy : public DeviceMaintenanceStrategy {
 public:
  void receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256], const std::wstring& name,
                           int slot, bool searchBackwards) override;
  void getUsedBrailleTables(SerialPort& port, int& first, int& second) override;
  void activateBrailleTable(SerialPort& port, uint8_t slot) override;
  void getBrailleTablesNames(SerialPort& port, BrailleTablesNames& names) override;
  void deleteFlash(SerialPort& port) override;
  void doFactoryReset(SerialPort& port) override;
  bool usesLegacyTableSlots() const override { return true; }
  void setBluetoothPin(SerialPort& port, const std::wstring& pin) override;
  void getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) override;
  void requestBatteryInfo(SerialPort& port, BatteryInfo* info) override;
  void startBatteryTestMode(SerialPort& port) override;
  void setRealTimeClock(SerialPort& port, const DeviceDateTime& time) override;
  void getRealTimeClock(SerialPort& port, DeviceDateTime* time) override;
  bool isMassStorageProtocolActive(SerialPort&) override { return false; }
  void lockMassStorageProtocol(SerialPort& port) override;
  void releaseMassStorageProtocol(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
