#pragma once

#include <cstdint>

#include "qrcom/protocol/MonitorLoop.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace QrCom {

// Monitor mode of the current firmware: display reports (the cells and a position) and key
// reports as extended packets. Also switches the Glint feature. Service ids 1 and 35.
class QrBrlOsMonitorModeStrategy : public MonitorModeStrategy {
 public:
  static constexpr size_t kCells = 512;

  // A display that refuses monitor mode leaves it off without a failure.
  void startMonitorMode(SerialPort& port, MonitorSink* sink, QuorlinDevice* device) override;
  int stopMonitorMode() override;
  void requestStop() override;
  bool isActive() const override { return loop_.looping; }
  void startGlint(SerialPort& port) override;
  void stopGlint(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<MonitorModeStrategy> clone() const override;

 private:
  void receiveReports(SerialPort& port, MonitorSink* sink, QuorlinDevice* device, uint8_t modelId);
  // A display report: stores the cells and tells the sink whether any has changed.
  void reportCells(const uint8_t* payload, uint32_t length, MonitorSink* sink,
                   QuorlinDevice* device);

  MonitorLoop loop_;
  uint8_t cells_[kCells] = {};
};

}  // namespace QrCom
