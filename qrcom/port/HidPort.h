#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qrcom/base/NativeSync.h"
#include "qrcom/port/HidDevice.h"
#include "qrcom/port/SerialPort.h"
#ifndef _WIN32
#include "qrcom/port/ScreenReaderDriver.h"
#endif

namespace QrCom {

// A display's USB-HID interface as a byte port. Bytes to the display travel in numbered output
// reports (02 n payload); a reader thread unpacks the input reports (01 n payload) into a
// 1024-byte ring, and reads take from the ring with a two-second budget. Reads never throw:
// silence gives a short count, and readByte 0. On bridge products the interface carries a
// serial link whose line speed the port sets.
class HidPort : public SerialPort {
 public:
  static constexpr uint32_t kRingSize = 1024;
  static constexpr uint32_t kReadBudgetMs = 2000;
  static constexpr uint32_t kReadStepMs = 50;

  // Throws UnableToOpenPortException (or ErrorOnInitializationException when a bridge refuses
  // its line speed); no port results then.
  explicit HidPort(const std::wstring& devicePath);
  ~HidPort() override;
  HidPort(const HidPort&) = delete;
  HidPort& operator=(const HidPort&) = delete;

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using SerialPort::readBuffer;
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;
  uint8_t readByte() override;
  void purge() override;
  void setBaudRate(uint32_t baud) override;
  uint32_t getBaudRate() const override { return baudRate_; }
  bool canChangeBaudRate() const override { return bridge_; }
  PortType getPortType() const override { return PortType::UsbHid; }
  // Copies at most `maxChars` characters of the device path (no terminator added); returns how
  // many.
  uint32_t getDevicePath(wchar_t* buffer, uint32_t maxChars) const;
  const std::wstring& devicePath() const { return devicePath_; }

 private:
  void initializePort(const std::wstring& devicePath);
  std::unique_ptr<HidDevice> openPort(const std::wstring& path);
  void releaseResidentDriver();
  void resumeResidentDriver();
  void resumeResidentDriverWithoutPause();
  [[noreturn]] void throwUnableToOpenPort(const wchar_t* context);
  void readerLoop();
  void onInputReport(const uint8_t* report, uint32_t length);
  void sendOutputReport(std::vector<uint8_t>& report);
  uint32_t available() const;
  uint32_t take(uint8_t* destination, uint32_t length);
  void close();

  std::unique_ptr<HidDevice> device_;
  const std::wstring portName_ = L"USB-HID";
  uint32_t baudRate_ = 19200;
  HidCapabilities capabilities_;
  std::vector<uint8_t> outputReport_;
  std::vector<uint8_t> inputReport_;
  // The reader thread fills the ring; the port's user takes from it, purges and closes it.
  uint8_t ring_[kRingSize] = {};  // guarded by ringLock_
  uint32_t writeIndex_ = 0;       // guarded by ringLock_
  uint32_t readIndex_ = 0;        // guarded by ringLock_
  mutable std::unique_ptr<NativeMutex> ringLock_;
  std::unique_ptr<NativeEvent> stopEvent_;
  // Set after each input report; reset by the reader of the ring before it looks.
  std::unique_ptr<NativeEvent> dataEvent_;
  std::atomic<bool> stopping_{false};
  std::thread reader_;
  bool bridge_ = false;
  bool driverReleased_ = false;
#ifndef _WIN32
  ScreenReaderDriverHold screenReader_;  // the screen reader's daemon is the resident driver
#endif
  std::wstring devicePath_;
};

}  // namespace QrCom
