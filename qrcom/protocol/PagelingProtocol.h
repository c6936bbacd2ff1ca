#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The pocket reader's block protocol: the PC opens each transaction with 0x05 and a command,
// sends fixed 512-byte blocks each followed by 0x16, and ends a transfer with 0x04; the device
// answers every step with ACK or with NAK and an error code.
namespace Pageling {

constexpr uint8_t kControl = 0x05;
constexpr uint8_t kUploadDocument = 0x02;
constexpr uint8_t kEraseFlash = 0x03;
constexpr uint8_t kUploadBrailleTable = 0x04;
constexpr uint8_t kMonitor = 0x07;
constexpr uint8_t kCancel = 0x08;
constexpr uint8_t kFactoryReset = 0x0F;
constexpr uint8_t kResetReceiver = 0xFF;
constexpr uint8_t kEndOfBlock = 0x16;
constexpr uint8_t kEndOfTransfer = 0x04;
constexpr size_t kBlockSize = 512;
constexpr uint8_t kBlank = 0x20;

// Writes 0x05 and `command`.
void writeControl(SerialPort& port, uint8_t command);

// Reads the device's answer: ACK returns, NAK and its code fail through throwPagelingError.
// Anything else is collected byte by byte (at most 400 more, until a read times out): a last
// byte ACK counts as ACK, NAK and a code as the last two bytes fail with that code, the rest
// fails with " Missing ACK and NAK".
void awaitAnswer(SerialPort& port, std::wstring_view prefix);

// Writes what the device needs to leave its receive state for `code`, then throws the failure
// the code stands for.
[[noreturn]] void throwPagelingError(SerialPort& port, uint8_t code, std::wstring_view prefix);

// Opens a transaction; if the device does not accept it, resets its receiver and tries once
// more (a second failure passes on).
void openTransaction(SerialPort& port, uint8_t command, std::wstring_view prefix);

// Writes one block and 0x16, then awaits the answer.
void sendBlock(SerialPort& port, const uint8_t (&block)[kBlockSize], std::wstring_view prefix);

// Writes the end of a transfer and awaits the answer.
void endTransfer(SerialPort& port, std::wstring_view prefix);

}  // namespace Pageling

}  // namespace QrCom
