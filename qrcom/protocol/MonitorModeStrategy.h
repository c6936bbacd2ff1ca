#pragma once

#include <cstdint>
#include <memory>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

class QuorlinDevice;

// Receives what a display in monitor mode reports. Called on the device's monitor thread.
class MonitorSink {
 public:
  // `content` is a zero-terminated text line (legacy line, pocket reader) or the cell array
  // (current firmware); `changed` says whether it differs from the one reported before.
  virtual void onDisplay(QuorlinDevice* device, const uint8_t* content, int position,
                         bool changed) = 0;
  virtual void onKey(QuorlinDevice* device, uint8_t key) = 0;
  // Monitor mode was ended through the device's endMonitorMode.
  virtual void onMonitorModeEnded(QuorlinDevice* device) = 0;

 protected:
  ~MonitorSink() = default;
};

// Monitor mode: startMonitorMode blocks in a receive loop until another thread ends it.
// Service ids 1 and 35.
class MonitorModeStrategy {
 public:
  virtual ~MonitorModeStrategy() = default;

  virtual void startMonitorMode(SerialPort& port, MonitorSink* sink, QuorlinDevice* device) = 0;
  // Ends the receive loop and waits until it has ended.
  virtual int stopMonitorMode() = 0;
  // Ends the receive loop without waiting.
  virtual void requestStop() = 0;
  virtual bool isActive() const = 0;
  virtual void startGlint(SerialPort& port) = 0;
  virtual void stopGlint(SerialPort& port) = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<MonitorModeStrategy> clone() const = 0;
};

class NoMonitorModeStrategy : public MonitorModeStrategy {
 public:
  void startMonitorMode(SerialPort& port, MonitorSink* sink, QuorlinDevice* device) override;
  int stopMonitorMode() override;
  void requestStop() override {}
  bool isActive() const override { return false; }
  void startGlint(SerialPort& port) override;
  void stopGlint(SerialPort& port) override;
  bool supportsService(int) const override { return false; }
  std::unique_ptr<MonitorModeStrategy> clone() const override;
};

}  // namespace QrCom
