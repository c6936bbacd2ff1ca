#include <windows.h>

#include <string>

#include "qrcom/base/Clock.h"
#include "qrcom/port/ComPorts.h"
#include "qrcom/port/PortClassification.h"
#include "qrcom/port/WinSerialPort.h"

namespace QrCom {

namespace {
constexpr uint32_t kEnumerationPause = 1000;
}  // namespace

std::unique_ptr<SerialPort> openSystemComPort(int number) {
  return std::make_unique<WinSerialPort>(number);
}

std::wstring comPortName(int number) {
  return L"COM" + std::to_wstring(number);
}

std::vector<int> enumerateComPorts() {
  std::vector<int> ports;
  clock().sleep(kEnumerationPause);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, 0,
                      KEY_READ, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return ports;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[512];
    DWORD nameLength = 512;
    wchar_t data[257] = {};
    DWORD dataSize = 512;
    const LONG result = RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    const int number = comPortNumber(std::wstring_view(data, wcsnlen(data, dataSize / 2)));
    if (number != 0) ports.push_back(number);
  }
  RegCloseKey(key);
  return ports;
}

}  // namespace QrCom
