#include "qrcom/port/PortClassification.h"

namespace QrCom {

namespace {
constexpr wchar_t kNativeServices[] = L"Serial";
constexpr wchar_t kUsbAdapterServices[] = L"FTSER2K;GHUSBURT;Ser2pl";
constexpr wchar_t kBluetoothServices[] = L"BTHMODEM;tosporte;BTDriver;VComm";
constexpr int kLargestPortNumber = 0xFFFF;
}  // namespace

bool serviceListMatches(std::wstring_view list, std::wstring_view name) {
  if (name.empty()) return false;
  while (!list.empty()) {
    const size_t separator = list.find(L';');
    if (list.substr(0, separator) == name) return true;
    if (separator == std::wstring_view::npos) break;
    list.remove_prefix(separator + 1);
  }
  return false;
}

PortType classifyServiceName(std::wstring_view service, PortType otherwise) {
  if (serviceListMatches(kNativeServices, service)) return PortType::NativeSerial;
  if (serviceListMatches(kUsbAdapterServices, service)) return PortType::UsbSerialAdapter;
  if (serviceListMatches(kBluetoothServices, service)) return PortType::BluetoothSerial;
  return otherwise;
}

int comPortNumber(std::wstring_view portName) {
  if (portName.size() <= 3) return 0;
  int number = 0;
  for (wchar_t character : portName.substr(3)) {
    if (character < L'0' || character > L'9') break;
    number = number * 10 + (character - L'0');
    if (number > kLargestPortNumber) return 0;
  }
  return number;
}

PortType classifyTty(std::string_view ttyName, bool hasDevice, std::string_view subsystem) {
  if (ttyName.substr(0, 6) == "rfcomm") return PortType::BluetoothSerial;
  if (!hasDevice) return PortType::Unclassified;
  if (subsystem == "usb" || subsystem == "usb-serial") return PortType::UsbSerialAdapter;
  return PortType::NativeSerial;
}

}  // namespace QrCom
