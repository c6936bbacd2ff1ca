#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qrcom/base/QrSync.h"

namespace QrCom {

// The report lengths a device declares, report id byte included.
struct HidCapabilities {
  uint32_t inputReportLength = 0;
  uint32_t outputReportLength = 0;
};

// One open USB-HID device: the operating system's I/O beneath HidPort. A reader thread calls
// readReport while the protocol thread writes, flushes and waits; cancelRead may come from
// either.
class HidDevice {
 public:
  enum class WriteOutcome {
    Written,            // the whole report went out
    NoEvent,            // the completion event could not be made
    CompletionUnknown,  // the write's completion could not be read
    Failed,             // refused, short or not done within the write time-out
  };

  virtual ~HidDevice() = default;

  // Nothing when the device's report lengths cannot be read.
  virtual std::optional<HidCapabilities> capabilities() = 0;
  // Blocks until an input report arrives and returns its length (at most `capacity`); 0 once
  // cancelRead was called; -1 when the read failed.
  virtual int readReport(uint8_t* buffer, uint32_t capacity) = 0;
  // Ends the readReport in progress and every later one.
  virtual void cancelRead() = 0;
  // One output report through the interrupt pipe (the full report length).
  virtual WriteOutcome writeReport(const uint8_t* report, uint32_t length) = 0;
  // One output report through the control pipe.
  virtual bool setOutputReport(const uint8_t* report, uint32_t length) = 0;
  // Drops the input reports the system holds.
  virtual bool flush() = 0;
  virtual bool setInputBufferCount(uint32_t reports) = 0;
  // Waits at most `milliseconds` for `arrived`, which the reader sets after each input report;
  // true when it was set. Real devices wait in real time; an emulated one waits in the
  // emulation's time.
  virtual bool waitForInput(QrEvent& arrived, uint32_t milliseconds) {
    return arrived.wait(milliseconds);
  }
};

// The USB-HID devices of the system: what enumeration lists and what HidPort opens.
class HidBus {
 public:
  enum class OpenFailure {
    None,
    Denied,  // held by another program (access denied or sharing violation)
    Other,
  };
  struct Opened {
    std::unique_ptr<HidDevice> device;
    OpenFailure failure = OpenFailure::None;
  };

  virtual ~HidBus() = default;
  // Every HID device-interface path present now, in the system's order.
  virtual std::vector<std::wstring> interfacePaths() = 0;
  virtual Opened open(const std::wstring& path) = 0;
};

// The system's HID devices unless a test installed another bus.
HidBus& hidBus();
// Installs `replacement` (nullptr restores the system's bus) and returns the previous one. Only
// tests call this, while no port is open.
HidBus* installHidBus(HidBus* replacement);
// The system's bus (Win32 HID class, Linux hidraw).
HidBus& systemHidBus();

}  // namespace QrCom
