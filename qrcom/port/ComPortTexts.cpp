#include "qrcom/port/ComPortTexts.h"

#include "qrcom/base/QrException.h"

namespace QrCom {

namespace {
std::wstring quoted(std::wstring_view name) {
  return compose(L"\"", name, L"\"");
}
}  // namespace

namespace ComPortText {

std::wstring readingSettings(std::wstring_view name) {
  return compose(L" Error while reading Settings for Port ", quoted(name), L" ");
}

std::wstring writingSettings(std::wstring_view name) {
  return compose(L"Error while writing COM-Settings for port ", quoted(name), L".");
}

std::wstring readingTimeouts(std::wstring_view name) {
  return compose(L"Error while reading COM-Timeouts of port ", quoted(name), L".");
}

std::wstring writingBuffer(std::wstring_view name) {
  return compose(L"Error while writing Buffer to port ", quoted(name), L".");
}

std::wstring reading(std::wstring_view name) {
  return compose(L" Error while reading from port ", quoted(name), L".");
}

std::wstring readingWithLineError(std::wstring_view name, uint32_t errorSet) {
  return compose(L" Error while reading from port ", quoted(name), L". COM error: ",
                 std::wstring_view(lineErrorText(errorSet)));
}

std::wstring noByteArrived(std::wstring_view name) {
  return compose(L" Error while reading from port ", quoted(name), L". No Byte arrived.");
}

std::wstring cannotBeOpened(std::wstring_view name) {
  return compose(L" Port ", quoted(name), L" can't be opened.");
}

}  // namespace ComPortText

const wchar_t* lineErrorText(uint32_t errorSet) {
  switch (errorSet) {
    case 0x0001:
      return L"Receive Queue overflow";
    case 0x0002:
      return L"Receive Overrun Error";
    case 0x0004:
      return L"Receive Parity Error";
    case 0x0008:
      return L"Receive Framing error";
    case 0x0010:
      return L"Break Detected";
    case 0x0100:
      return L"TX Queue is full";
    case 0x0200:
      return L"LPTx Timeout";
    case 0x0400:
      return L"LPTx I/O Error";
    case 0x0800:
      return L"LPTx Device not selected";
    case 0x1000:
      return L"LPTx Out-Of-Paper";
    case 0x8000:
      return L"Requested mode unsupported";
    default:
      return L"undefined error";
  }
}

}  // namespace QrCom
