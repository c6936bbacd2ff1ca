#pragma once

#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"

namespace QrCom {

// The current firmware: its own table upload header, and Bluetooth PIN, battery and real-time
// clock over extended packets. Firmwares that don't tell their protocol version have no table
// slots; the device makes their strategy with `legacyFlag` set.
class QrBrlOsMaintenanceStrategy : public BrailleSystemVersion428MaintenanceStrategy {
 public:
  // The current upload header holds at most this many ANSI bytes of the table name.
  static constexpr size_t kMaxTableName = 70;

  QrBrlOsMaintenanceStrategy(uint8_t modelId, bool legacyFlag)
      : modelId_(modelId), legacyFlag_(legacyFlag) {}

  // A name longer than kMaxTableName bytes fails with InvalidArgumentException.
  void receiveBrailleTable(SerialPort& port, const uint8_t (&table)[256], const std::wstring& name,
                           int slot, bool searchBackwards) override;
  void getUsedBrailleTables(SerialPort& port, int& first, int& second) override;
  void activateBrailleTable(SerialPort& port, uint8_t slot) override;
  void getBrailleTablesNames(SerialPort& port, BrailleTablesNames& names) override;
  void setBluetoothPin(SerialPort& port, const std::wstring& pin) override;
  void getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) override;
  void requestBatteryInfo(SerialPort& port, BatteryInfo* info) override;
  void startBatteryTestMode(SerialPort& port) override;
  void setRealTimeClock(SerialPort& port, const DeviceDateTime& time) override;
  // Leaves a null record alone without asking the device.
  void getRealTimeClock(SerialPort& port, DeviceDateTime* time) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;

  uint8_t modelId() const { return modelId_; }
  bool legacyFlag() const { return legacyFlag_; }

 private:
  uint8_t modelId_;
  bool legacyFlag_;
};

}  // namespace QrCom
