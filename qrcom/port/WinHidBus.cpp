// USB-HID on Windows: the HID class's device interfaces, opened for overlapped I/O.
#include <windows.h>

#include <setupapi.h>
// MinGW's HID headers declare C functions without saying so.
extern "C" {
#include <hidsdi.h>
}

#include <vector>

#include "qrcom/port/HidDevice.h"

namespace QrCom {

namespace {

constexpr DWORD kWaitMs = 1000;
constexpr NTSTATUS kHidpStatusSuccess = 0x00110000;

// One overlapped operation: its event lives as long as the operation.
class Overlapped {
 public:
  Overlapped() { overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  ~Overlapped() {
    if (overlapped_.hEvent != nullptr) CloseHandle(overlapped_.hEvent);
  }
  Overlapped(const Overlapped&) = delete;
  Overlapped& operator=(const Overlapped&) = delete;
  bool valid() const { return overlapped_.hEvent != nullptr; }
  OVERLAPPED* get() { return &overlapped_; }
  HANDLE event() const { return overlapped_.hEvent; }

 private:
  OVERLAPPED overlapped_ = {};
};

class WinHidDevice : public HidDevice {
 public:
  explicit WinHidDevice(HANDLE handle)
      : handle_(handle), cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~WinHidDevice() override {
    if (cancel_ != nullptr) CloseHandle(cancel_);
    CloseHandle(handle_);  // a failing close changes nothing
  }

  std::optional<HidCapabilities> capabilities() override {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(handle_, &preparsed)) return std::nullopt;
    HIDP_CAPS caps = {};
    const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
    HidD_FreePreparsedData(preparsed);
    if (status != kHidpStatusSuccess) return std::nullopt;
    return HidCapabilities{caps.InputReportByteLength, caps.OutputReportByteLength};
  }

  int readReport(uint8_t* buffer, uint32_t capacity) override {
    Overlapped read;
    if (!read.valid() || cancel_ == nullptr) return -1;
    for (;;) {
      if (WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0) return 0;
      ResetEvent(read.event());
      DWORD count = 0;
      if (ReadFile(handle_, buffer, capacity, &count, read.get())) {
        if (count > 0) return static_cast<int>(count);
        continue;
      }
      if (GetLastError() != ERROR_IO_PENDING) {
        CancelIo(handle_);
        return -1;
      }
      const HANDLE waits[2] = {cancel_, read.event()};
      for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, kWaitMs);
        if (woken == WAIT_OBJECT_0) {
          CancelIo(handle_);
          GetOverlappedResult(handle_, read.get(), &count, TRUE);
          return 0;
        }
        if (woken == WAIT_OBJECT_0 + 1) {
          if (GetOverlappedResult(handle_, read.get(), &count, FALSE) && count > 0) {
            return static_cast<int>(count);
          }
          break;  // a cancelled or empty read: start the next one
        }
        // Nothing for a second: cancel the read, whose completion then wakes the wait.
        CancelIo(handle_);
      }
    }
  }

  void cancelRead() override {
    if (cancel_ != nullptr) SetEvent(cancel_);
  }

  WriteOutcome writeReport(const uint8_t* report, uint32_t length) override {
    Overlapped write;
    if (!write.valid()) return WriteOutcome::NoEvent;
    DWORD count = 0;
    if (WriteFile(handle_, report, length, &count, write.get())) {
      // Completed at once: written when the whole report went out.
      return count == length ? WriteOutcome::Written : WriteOutcome::Failed;
    }
    if (GetLastError() != ERROR_IO_PENDING) return WriteOutcome::Failed;
    if (WaitForSingleObject(write.event(), kWaitMs) != WAIT_OBJECT_0) {
      CancelIo(handle_);
      GetOverlappedResult(handle_, write.get(), &count, TRUE);
      return WriteOutcome::Failed;
    }
    if (!GetOverlappedResult(handle_, write.get(), &count, FALSE)) {
      return WriteOutcome::CompletionUnknown;
    }
    return count == length ? WriteOutcome::Written : WriteOutcome::Failed;
  }

  bool setOutputReport(const uint8_t* report, uint32_t length) override {
    std::vector<uint8_t> copy(report, report + length);
    return HidD_SetOutputReport(handle_, copy.data(), length);
  }

  bool flush() override { return HidD_FlushQueue(handle_); }

  bool setInputBufferCount(uint32_t reports) override {
    return HidD_SetNumInputBuffers(handle_, reports);
  }

 private:
  const HANDLE handle_;
  const HANDLE cancel_;
};

class WinHidBus : public HidBus {
 public:
  std::vector<std::wstring> interfacePaths() override {
    std::vector<std::wstring> paths;
    GUID guid;
    HidD_GetHidGuid(&guid);
    const HDEVINFO devices =
        SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) return paths;
    SP_DEVICE_INTERFACE_DATA interface = {};
    interface.cbSize = sizeof interface;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(devices, nullptr, &guid, index, &interface);
         ++index) {
      DWORD needed = 0;
      if (SetupDiGetDeviceInterfaceDetailW(devices, &interface, nullptr, 0, &needed, nullptr) ||
          GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
          needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        continue;
      }
      std::vector<uint8_t> storage(needed);
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      if (!SetupDiGetDeviceInterfaceDetailW(devices, &interface, detail, needed, nullptr,
                                            nullptr)) {
        continue;
      }
      paths.emplace_back(detail->DevicePath);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return paths;
  }

  Opened open(const std::wstring& path) override {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      const bool denied = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
      return {nullptr, denied ? OpenFailure::Denied : OpenFailure::Other};
    }
    return {std::make_unique<WinHidDevice>(handle), OpenFailure::None};
  }
};

}  // namespace

HidBus& systemHidBus() {
  static WinHidBus bus;
  return bus;
}

}  // namespace QrCom
