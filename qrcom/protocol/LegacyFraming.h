#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qrcom/base/CalendarTime.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

// The byte protocol of the device file system, also spoken by the legacy maintenance commands:
// single command bytes that the device echoes after an ACK, and frames made of a 16-bit
// little-endian body length, the body and SYNC.
namespace Legacy {
constexpr uint8_t kReceiveDataBlock = 0x03;
constexpr uint8_t kEndOfFile = 0x04;
constexpr uint8_t kAttributeFlag = 0x05;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kStartOfData = 0x0F;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSync = 0x16;
constexpr uint8_t kBeginOfFile = 0x1C;
constexpr uint8_t kGetFileList = 0x20;
constexpr uint8_t kGetFile = 0x21;
constexpr uint8_t kRenameFile = 0x22;
constexpr uint8_t kDeleteFile = 0x23;
constexpr uint8_t kGetDiskSpace = 0x25;
constexpr uint8_t kMakeDirectory = 0x26;
constexpr uint8_t kChangeDirectory = 0x27;
constexpr uint8_t kGetFolderList = 0x28;
constexpr uint8_t kCancelUpload = 0x43;
// NAK code of a transfer the user cancelled.
constexpr uint8_t kCanceledByUser = 23;
constexpr size_t kMaxFrameBody = 0xFFFF;
}  // namespace Legacy

// The file-transfer commands know code 29 (invalid folder); the maintenance commands treat it
// like any unknown code.
enum class DeviceErrors { FileTransfer, Maintenance };

// Throws the failure the device's NAK code stands for: `prefix` followed by the code's text.
[[noreturn]] void throwDeviceError(uint8_t code, std::wstring_view prefix,
                                   DeviceErrors errors = DeviceErrors::FileTransfer);

// Reads the device's answer to a command byte or a frame: ACK and `expected` confirm it; ACK
// and another byte, NAK and its code, or anything else fail with `prefix`.
void confirmCommand(SerialPort& port, uint8_t expected, std::wstring_view prefix,
                    DeviceErrors errors = DeviceErrors::FileTransfer);

// Writes the command byte and confirms it.
void sendCommand(SerialPort& port, uint8_t command, std::wstring_view prefix,
                 DeviceErrors errors = DeviceErrors::FileTransfer);

// Length, body and SYNC as written to the wire. A body over 65535 bytes does not fit the length
// field and fails with InvalidArgumentException.
std::vector<uint8_t> buildFrame(const uint8_t* body, size_t length, std::wstring_view prefix);

// Writes the frame with one call and confirms it with SYNC.
void sendFrame(SerialPort& port, const uint8_t* body, size_t length, std::wstring_view prefix,
               DeviceErrors errors = DeviceErrors::FileTransfer);
inline void sendFrame(SerialPort& port, const std::vector<uint8_t>& body, std::wstring_view prefix,
                      DeviceErrors errors = DeviceErrors::FileTransfer) {
  sendFrame(port, body.data(), body.size(), prefix, errors);
}

// One data block of an upload: command RECEIVE_DATA_BLOCK, then the data as a frame.
void sendDataBlock(SerialPort& port, const uint8_t* data, size_t length, std::wstring_view prefix,
                   DeviceErrors errors = DeviceErrors::FileTransfer);

// A command that names something: the command byte (confirmed), then the frame of the ANSI
// name followed by the command byte (confirmed with SYNC). nameFrame builds that frame ahead,
// so that a name the frame cannot hold fails before anything is sent.
std::vector<uint8_t> nameFrame(uint8_t command, std::string_view name, std::wstring_view prefix);
void sendNameCommand(SerialPort& port, uint8_t command, const std::vector<uint8_t>& frame,
                     std::wstring_view prefix);

// The answer the PC gives to each device block: ACK and the byte it acknowledges.
void acknowledge(SerialPort& port, uint8_t what);

// Header bodies of an upload. Legacy: BEGIN_OF_FILE, name, attribute flag, attribute, start of
// data. Current: the same with the seven time-stamp bytes (year big-endian, month, day, hour,
// minute, second) before the attribute.
std::vector<uint8_t> legacyHeaderBody(std::string_view name, uint8_t attribute);
std::vector<uint8_t> currentHeaderBody(std::string_view name, const CalendarTime& stamp,
                                       uint8_t attribute);

}  // namespace QrCom
