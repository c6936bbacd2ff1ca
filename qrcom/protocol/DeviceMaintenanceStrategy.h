#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "qrcom/port/SerialPort.h"
#include "qrcom/protocol/MaintenanceRecords.h"

namespace QrCom {

class BrailleTablesNames;

// Braille-table slots, Bluetooth PIN, battery, real-time clock and the mass-storage lock.
// Service ids 2, 3, 14, 16, 19, 22-28, 34.
class DeviceMaintenanceStrategy {
 public:
  virtual ~DeviceMaintenanceStrategy() = default;

  virtual void receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256],
                                   const std::wstring& name, int slot, bool searchBackwards) = 0;
  virtual void getUsedBrailleTables(SerialPort& port, int& first, int& second) = 0;
  virtual void activateBrailleTable(SerialPort& port, uint8_t slot) = 0;
  virtual void getBrailleTablesNames(SerialPort& port, BrailleTablesNames& names) = 0;
  virtual void deleteFlash(SerialPort& port) = 0;
  virtual void doFactoryReset(SerialPort& port) = 0;
  virtual bool usesLegacyTableSlots() const = 0;
  virtual void setBluetoothPin(SerialPort& port, const std::wstring& pin) = 0;
  virtual void getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) = 0;
  virtual void requestBatteryInfo(SerialPort& port, BatteryInfo* info) = 0;
  virtual void startBatteryTestMode(SerialPort& port) = 0;
  virtual void setRealTimeClock(SerialPort& port, const DeviceDateTime& time) = 0;
  virtual void getRealTimeClock(SerialPort& port, DeviceDateTime* time) = 0;
  virtual bool isMassStorageProtocolActive(SerialPort& port) = 0;
  virtual void lockMassStorageProtocol(SerialPort& port) = 0;
  virtual void releaseMassStorageProtocol(SerialPort& port) = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<DeviceMaintenanceStrategy> clone() const = 0;
};

class NoDeviceMaintenanceStrategy : public DeviceMaintenanceStrategy {
 public:
  void receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256], const std::wstring& name,
                           int slot, bool searchBackwards) override;
  void getUsedBrailleTables(SerialPort& port, int& first, int& second) override;
  void activateBrailleTable(SerialPort& port, uint8_t slot) override;
  void getBrailleTablesNames(SerialPort& port, BrailleTablesNames& names) override;
  void deleteFlash(SerialPort& port) override;
  void doFactoryReset(SerialPort& port) override;
  bool usesLegacyTableSlots() const override { return false; }
  void setBluetoothPin(SerialPort& port, const std::wstring& pin) override;
  void getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) override;
  void requestBatteryInfo(SerialPort& port, BatteryInfo* info) override;
  void startBatteryTestMode(SerialPort& port) override;
  void setRealTimeClock(SerialPort& port, const DeviceDateTime& time) override;
  void getRealTimeClock(SerialPort& port, DeviceDateTime* time) override;
  bool isMassStorageProtocolActive(SerialPort& port) override;
  void lockMassStorageProtocol(SerialPort& port) override;
  void releaseMassStorageProtocol(SerialPort& port) override;
  bool supportsService(int) const override { return false; }
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;
};

}  // namespace QrCom
