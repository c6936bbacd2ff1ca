#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qrcom/port/HidDevice.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrTest {

// The device side of a scripted USB-HID device: it records every report the host sends and
// serves the input reports a test scripts. Waiting for input costs no real time: once the
// reader has taken every scripted report, the wait moves the virtual clock.
class ScriptedHid {
 public:
  struct Report {
    enum Pipe { Interrupt, Control } pipe;
    Bytes bytes;
  };
  using Responder = std::function<void(const Bytes& report, ScriptedHid& device)>;

  explicit ScriptedHid(VirtualClock& clock, QrCom::HidCapabilities capabilities = {64, 64});

  // An input report the device sends now.
  void deliver(const Bytes& report);
  // Called with every interrupt output report.
  void setResponder(Responder responder);
  std::vector<Report> sent() const;
  int flushes() const { return flushes_; }

  // Knobs.
  std::optional<QrCom::HidCapabilities> capabilities;
  QrCom::HidDevice::WriteOutcome writeOutcome = QrCom::HidDevice::WriteOutcome::Written;
  bool refuseOutputReports = false;

  // --- the HidDevice side (a new open lifts an earlier cancel)
  void opened();
  int readReport(uint8_t* buffer, uint32_t capacity);
  void cancelRead();
  QrCom::HidDevice::WriteOutcome writeReport(const uint8_t* report, uint32_t length);
  bool setOutputReport(const uint8_t* report, uint32_t length);
  void flush() { ++flushes_; }
  bool waitForInput(QrCom::QrEvent& arrived, uint32_t milliseconds);

 private:
  VirtualClock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Bytes> input_;
  bool readerWaiting_ = false;
  bool cancelled_ = false;
  std::vector<Report> sent_;
  std::atomic<int> flushes_{0};
  Responder responder_;
};

// A HID bus of scripted devices, installed for the lifetime of the object.
class ScriptedHidBus : public QrCom::HidBus {
 public:
  ScriptedHidBus();
  ~ScriptedHidBus() override;

  // `path` is listed and opens onto `device`.
  void attach(const std::wstring& path, std::shared_ptr<ScriptedHid> device);
  void detach(const std::wstring& path);
  // Opening `path` is refused as held by another program, `times` times.
  void deny(const std::wstring& path, int times);
  // Enumeration answers these lists in turn (the last one repeats) instead of the attached
  // paths.
  void scriptListings(std::vector<std::vector<std::wstring>> listings);
  int listings() const { return listings_; }
  int opens() const { return opens_; }

  std::vector<std::wstring> interfacePaths() override;
  Opened open(const std::wstring& path) override;

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::wstring, std::shared_ptr<ScriptedHid>>> devices_;
  std::map<std::wstring, int> denials_;
  std::deque<std::vector<std::wstring>> scripted_;
  std::atomic<int> listings_{0};
  std::atomic<int> opens_{0};
  QrCom::HidBus* previous_;
};

}  // namespace QrTest
