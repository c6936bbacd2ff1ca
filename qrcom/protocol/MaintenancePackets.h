#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qrcom/port/SerialPort.h"
#include "qrcom/protocol/MaintenanceRecords.h"

namespace QrCom {

// Bluetooth PIN, battery figures and battery test mode over extended packets, shared by the
// current firmware and the Fundo line; `prefix` names the calling strategy's operation.
namespace MaintenancePackets {

void setBluetoothPin(SerialPort& port, uint8_t modelId, const std::wstring& pin,
                     std::wstring_view prefix);
// `pin` receives the PIN and its terminating zero; it must hold the whole PIN. On any failure
// it is left empty (when it has room for anything).
void getBluetoothPin(SerialPort& port, uint8_t modelId, wchar_t* pin, uint32_t capacity,
                     std::wstring_view prefix);
// On any failure after the argument check the two words are zero.
void requestBatteryInfo(SerialPort& port, uint8_t modelId, BatteryInfo* info,
                        std::wstring_view prefix);
void startBatteryTestMode(SerialPort& port, uint8_t modelId, std::wstring_view prefix);

}  // namespace MaintenancePackets

}  // namespace QrCom
