#pragma once

#include <cstdint>
#include <string_view>

#include "qrcom/port/SerialPort.h"

// The byte dialogue with the boot loader of the older displays, shared by the steps of
// EpromVersion11FirmwareUploadStrategy. A silent display makes readByte throw.
namespace QrCom::Eprom {

constexpr uint8_t kWake = 0xFF;  // also tells the display that an upload was given up
constexpr uint8_t kAwake = 0xFE;
constexpr uint8_t kEnterInfoMode = 0xAE;
constexpr uint8_t kOk = 0x4F;
constexpr uint8_t kBeginUpload = 0xAD;
constexpr uint8_t kEraseFlash = 0x4C;

constexpr std::string_view kInfo = "INFO ";
constexpr std::string_view kInfoEcho = "INFOI";

// Writes `command` and tells whether the one byte read is `expected`.
bool answers(SerialPort& port, uint8_t command, uint8_t expected);
void writeText(SerialPort& port, std::string_view text);
// Reads single bytes while they match `expected`; false at the first that does not.
bool echoes(SerialPort& port, std::string_view expected);
// The pause around INFO and BEGIN_UPLOAD: 500 ms, purge, 500 ms.
void settle(SerialPort& port);
// Tells the display that a cancelled upload ends here: 0xFF, 500 ms, purge.
void abandon(SerialPort& port);

}  // namespace QrCom::Eprom
