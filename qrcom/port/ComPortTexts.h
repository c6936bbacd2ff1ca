#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace QrCom {

// The details of the COM port failures, shared by the platforms' port classes; each message
// is the class and operation prefix ("WinSerialPort::readBuffer -- ") followed by one of these.
// `name` is the port's name (\\.\COM3, /dev/ttyUSB0).
namespace ComPortText {
std::wstring readingSettings(std::wstring_view name);
std::wstring writingSettings(std::wstring_view name);
std::wstring readingTimeouts(std::wstring_view name);
std::wstring writingBuffer(std::wstring_view name);
std::wstring reading(std::wstring_view name);
std::wstring readingWithLineError(std::wstring_view name, uint32_t errorSet);
std::wstring noByteArrived(std::wstring_view name);
std::wstring cannotBeOpened(std::wstring_view name);
}  // namespace ComPortText

// Line errors as the COM port reports them, one bit each.
namespace LineError {
constexpr uint32_t kReceiveQueueOverflow = 0x0001;
constexpr uint32_t kOverrun = 0x0002;
constexpr uint32_t kParity = 0x0004;
constexpr uint32_t kFraming = 0x0008;
constexpr uint32_t kBreak = 0x0010;
constexpr uint32_t kTransmitQueueFull = 0x0100;
}  // namespace LineError

// The text of a pending error set, compared as a whole: several bits at once are an
// "undefined error".
const wchar_t* lineErrorText(uint32_t errorSet);

}  // namespace QrCom
