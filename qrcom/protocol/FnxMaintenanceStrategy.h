#pragma once

#include "qrcom/protocol/BrailleSystemVersion428MaintenanceStrategy.h"

namespace QrCom {

// The Fundo line: Bluetooth PIN, battery figures and battery test mode over extended packets.
// Its Braille tables, clock and mass-storage requests are accepted and do nothing.
class FnxMaintenanceStrategy : public BrailleSystemVersion428MaintenanceStrategy {
 public:
  FnxMaintenanceStrategy(uint8_t modelId, bool legacyFlag)
      : modelId_(modelId), legacyFlag_(legacyFlag) {}

  void receiveBrailleTable(SerialPort&, const uint8_t (&)[256], const std::wstring&, int,
                           bool) override {}
  void getUsedBrailleTables(SerialPort&, int&, int&) override {}
  void activateBrailleTable(SerialPort&, uint8_t) override {}
  void getBrailleTablesNames(SerialPort&, BrailleTablesNames&) override {}
  void setBluetoothPin(SerialPort& port, const std::wstring& pin) override;
  void getBluetoothPin(SerialPort& port, wchar_t* pin, uint32_t capacity) override;
  void requestBatteryInfo(SerialPort& port, BatteryInfo* info) override;
  void startBatteryTestMode(SerialPort& port) override;
  void setRealTimeClock(SerialPort&, const DeviceDateTime&) override {}
  void getRealTimeClock(SerialPort&, DeviceDateTime*) override {}
  bool isMassStorageProtocolActive(SerialPort&) override { return false; }
  void lockMassStorageProtocol(SerialPort&) override {}
  void releaseMassStorageProtocol(SerialPort&) override {}
  bool supportsService(int serviceId) const override;
  std::unique_ptr<DeviceMaintenanceStrategy> clone() const override;

  uint8_t modelId() const { return modelId_; }
  bool legacyFlag() const { return legacyFlag_; }

 private:
  uint8_t modelId_;
  bool legacyFlag_;
};

}  // namespace QrCom
