#pragma once

#include "qrcom/protocol/MonitorLoop.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace QrCom {

// Monitor mode of the pocket reader: text lines ended by carriage return. Service id 1.
class PagelingMonitorModeStrategy : public MonitorModeStrategy {
 public:
  // Fails with MethodCollisionException while it runs already. A port failure other than a
  // read time-out ends it and passes on.
  void startMonitorMode(SerialPort& port, MonitorSink* sink, QuorlinDevice* device) override;
  int stopMonitorMode() override;
  // Ends the loop without waiting, as the other families do: the device's sink may be gone
  // once monitor mode has been ended.
  void requestStop() override { loop_.running = false; }
  bool isActive() const override { return loop_.running; }
  void startGlint(SerialPort& port) override;
  void stopGlint(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<MonitorModeStrategy> clone() const override;

 private:
  MonitorLoop loop_;
};

}  // namespace QrCom
