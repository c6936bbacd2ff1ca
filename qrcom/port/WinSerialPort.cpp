#include "qrcom/port/WinSerialPort.h"

#include <setupapi.h>

#include <cstdio>
#include <string>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/port/ComPortTexts.h"
#include "qrcom/port/PortClassification.h"
#include "qrcom/port/WinResidentDriver.h"

namespace QrCom {

namespace {

constexpr int kOpenRounds = 10;
constexpr uint32_t kPurgePause = 50;
constexpr uint32_t kSettlePause = 500;  // after opening and closing a Bluetooth or unknown port
constexpr uint32_t kReleasePause = 750;
constexpr DWORD kNativeReadMultiplier = 100;
constexpr DWORD kOtherReadMultiplier = 300;
constexpr DWORD kReadConstant = 1000;
constexpr DWORD kWriteMultiplier = 10;
constexpr DWORD kWriteConstant = 10;

// The COM-port device interface class.
const GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

bool settles(PortType type) {
  return type == PortType::BluetoothSerial || type == PortType::Unclassified;
}

bool valid(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

HANDLE createPort(const wchar_t* name) {
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The COM number in a device's "PortName" value; 0 when it can't be read.
int devicePortNumber(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key =
      SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return 0;
  wchar_t name[257] = {};
  DWORD type = 0;
  DWORD size = 512;
  const LONG result =
      RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return 0;
  return comPortNumber(std::wstring_view(name, wcsnlen(name, size / sizeof(wchar_t))));
}

}  // namespace

WinSerialPort::WinSerialPort(int portNumber) {
  initializePort(portNumber);
}

void WinSerialPort::initializePort(int portNumber) {
  baudRate_ = 19200;
  portType_ = determinePortType(portNumber);
  handle_ = openPort(portNumber);
  try {
    setPortParameters(handle_, 19200, 0, 8, 0);
    setPortParameters(handle_, portType_);
  } catch (const PortException&) {
    // No object results, so nothing else would ever close it.
    if (valid(handle_)) CloseHandle(handle_);
    handle_ = nullptr;
    throw;
  }
  purge();
  if (settles(portType_)) clock().sleep(kSettlePause);
}

WinSerialPort::~WinSerialPort() {
  if (handle_ != nullptr) {
    CloseHandle(handle_);
    handle_ = nullptr;
    if (settles(portType_)) clock().sleep(kSettlePause);
  }
  if (driverReleased_) resumeResidentDriver();
}

HANDLE WinSerialPort::openPort(int portNumber) {
  driverReleased_ = false;
  std::swprintf(portName_, sizeof portName_ / sizeof portName_[0], L"\\\\.\\COM%d", portNumber);
  HANDLE handle = createPort(portName_);
  if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) return handle;
  for (int round = 0; round < kOpenRounds; ++round) {
    releaseResidentDriver(portNumber);
    handle = createPort(portName_);
    if (handle != INVALID_HANDLE_VALUE) {
      driverReleased_ = true;
      return handle;
    }
    resumeResidentDriver();
  }
  throwUnableToOpenPort(L"WinSerialPort::openPort -- ", portName_);
  return INVALID_HANDLE_VALUE;  // an override that returns leaves the port unopened
}

void WinSerialPort::throwUnableToOpenPort(const wchar_t* context, const wchar_t* portName) {
  throw UnableToOpenPortException(compose(context, ComPortText::cannotBeOpened(portName)));
}

void WinSerialPort::failInitialization(const std::wstring& message) {
  resumeResidentDriverWithoutPause();
  throw ErrorOnInitializationException(message);
}

void WinSerialPort::setPortParameters(HANDLE handle, uint32_t baud, int parity, int byteSize,
                                      int stopBits) {
  constexpr wchar_t kPrefix[] = L"WinSerialPort::setPortParameters -- ";
  DCB control{};
  control.DCBlength = sizeof control;
  if (!GetCommState(handle, &control)) {
    failInitialization(compose(kPrefix, ComPortText::readingSettings(portName_)));
  }
  control.fBinary = TRUE;
  control.fOutxCtsFlow = FALSE;
  control.fOutxDsrFlow = FALSE;
  control.fDtrControl = DTR_CONTROL_DISABLE;
  control.fDsrSensitivity = FALSE;
  control.fTXContinueOnXoff = TRUE;
  control.fOutX = FALSE;
  control.fInX = FALSE;
  control.fNull = FALSE;
  control.fRtsControl = RTS_CONTROL_DISABLE;
  control.fAbortOnError = FALSE;
  control.XonLim = 0;
  control.XoffLim = 0;
  control.BaudRate = baud;
  control.ByteSize = static_cast<BYTE>(byteSize);
  static const BYTE parities[] = {ODDPARITY, EVENPARITY, NOPARITY, MARKPARITY, SPACEPARITY};
  if (parity >= 0 && parity < 5) control.Parity = parities[parity];
  static const BYTE stops[] = {ONESTOPBIT, TWOSTOPBITS, ONE5STOPBITS};
  if (stopBits >= 0 && stopBits < 3) control.StopBits = stops[stopBits];
  if (!SetCommState(handle, &control)) {
    failInitialization(compose(kPrefix, ComPortText::writingSettings(portName_)));
  }
}

void WinSerialPort::setPortParameters(HANDLE handle, PortType portType) {
  constexpr wchar_t kPrefix[] = L"WinSerialPort::setPortParameters -- ";
  COMMTIMEOUTS timeouts{};
  if (!GetCommTimeouts(handle, &timeouts)) {
    failInitialization(compose(kPrefix, ComPortText::readingTimeouts(portName_)));
  }
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier =
      portType == PortType::NativeSerial ? kNativeReadMultiplier : kOtherReadMultiplier;
  timeouts.ReadTotalTimeoutConstant = kReadConstant;
  timeouts.WriteTotalTimeoutMultiplier = kWriteMultiplier;
  timeouts.WriteTotalTimeoutConstant = kWriteConstant;
  if (!SetCommTimeouts(handle_, &timeouts)) {
    failInitialization(compose(kPrefix, ComPortText::writingSettings(portName_)));
  }
}

void WinSerialPort::setBaudRate(uint32_t baud) {
  constexpr wchar_t kPrefix[] = L"WinSerialPort::setBaudRate -- ";
  baudRate_ = baud;
  DCB control{};
  control.DCBlength = sizeof control;
  if (!GetCommState(handle_, &control)) {
    failInitialization(compose(kPrefix, ComPortText::readingSettings(portName_)));
  }
  if (control.BaudRate == baud) return;
  control.BaudRate = baud;
  if (!SetCommState(handle_, &control)) {
    failInitialization(compose(kPrefix, ComPortText::writingSettings(portName_)));
  }
}

void WinSerialPort::purge() {
  if (handle_ == nullptr) return;
  clock().sleep(kPurgePause);
  PurgeComm(handle_, PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void WinSerialPort::writeBuffer(const uint8_t* data, uint32_t length) {
  DWORD written = 0;
  if (WriteFile(handle_, data, length, &written, nullptr)) {
    if (written >= length) return;
    DWORD more = 0;
    if (WriteFile(handle_, data + written, length - written, &more, nullptr) &&
        written + more >= length) {
      return;
    }
  }
  throw CannotWriteToPortException(
      compose(L"WinSerialPort::writeBuffer -- ", ComPortText::writingBuffer(portName_)));
}

uint32_t WinSerialPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  constexpr wchar_t kPrefix[] = L"WinSerialPort::readBuffer -- ";
  DWORD count = 0;
  if (!ReadFile(handle_, data, length, &count, nullptr)) count = 0;
  if (retry && count < length) {
    DWORD more = 0;
    if (ReadFile(handle_, data + count, length - count, &more, nullptr)) count += more;
  }
  DWORD errors = 0;
  COMSTAT status{};
  if (count < length && ClearCommError(handle_, &errors, &status) && errors != 0) {
    throw CannotReadFromPortException(
        compose(kPrefix, ComPortText::readingWithLineError(portName_, errors)));
  }
  if (count > 0) return count;
  ClearCommError(handle_, &errors, &status);
  throw CannotReadFromPortException(compose(kPrefix, ComPortText::reading(portName_)));
}

uint8_t WinSerialPort::readByte() {
  uint8_t byte = 0;
  DWORD count = 0;
  if (ReadFile(handle_, &byte, 1, &count, nullptr) && count == 1) return byte;
  count = 0;
  const BOOL read = ReadFile(handle_, &byte, 1, &count, nullptr);
  if (read && count == 1) return byte;
  throw CannotReadFromPortException(
      compose(L"WinSerialPort::readByte --",
              read ? ComPortText::noByteArrived(portName_) : ComPortText::reading(portName_)));
}

void WinSerialPort::releaseResidentDriver(int portNumber) {
  {
    QrLock guard(residentDriverLock());
    if (!findResidentDriver()) return;
    const int used = askResidentDriverPort();
    if (used != portNumber && used != 0) return;  // it serves another port
    sendResidentDriverRelease();
  }
  clock().sleep(kReleasePause);
}

void WinSerialPort::resumeResidentDriver() {
  QrCom::resumeResidentDriver();
}

PortType determinePortType(int portNumber) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    return PortType::Unclassified;
  }
#pragma GCC diagnostic pop
  HDEVINFO devices = SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (devices == INVALID_HANDLE_VALUE) return PortType::Unclassified;
  PortType result = PortType::Unclassified;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    if (devicePortNumber(devices, device) != portNumber) continue;
    wchar_t service[512] = {};
    if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_SERVICE, nullptr,
                                          reinterpret_cast<BYTE*>(service), 511 * sizeof(wchar_t),
                                          nullptr)) {
      result = classifyServiceName(service, result);
    }
  }
  SetupDiDestroyDeviceInfoList(devices);
  return result;
}

}  // namespace QrCom
