#pragma once

#include <cstdint>

#include "qrcom/protocol/MonitorLoop.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace QrCom {

// Monitor mode of the legacy line: a byte stream of text lines with cursor positions, in a
// text dialect (0x02 and a cursor byte, lines ended by CR) or an escape dialect (0xFE
// sequences). Service id 1.
class PlanoMonitorModeStrategy : public MonitorModeStrategy {
 public:
  // Longest line passed on; the rest of a longer line is dropped.
  static constexpr size_t kMaxLine = 511;

  // Ends when stopped, or when the port fails other than by a read time-out.
  void startMonitorMode(SerialPort& port, MonitorSink* sink, QuorlinDevice* device) override;
  int stopMonitorMode() override;
  void requestStop() override;
  bool isActive() const override { return loop_.looping; }
  void startGlint(SerialPort& port) override;
  void stopGlint(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<MonitorModeStrategy> clone() const override;

  // The answer frame 79, id, 01, 07 (acknowledge) or 0A, 16; port failures are ignored.
  void sendAnswerFrame(SerialPort& port, bool acknowledge, uint8_t modelId);
  // 0x0B and 1 (on) or 0 (off).
  void switchMonitorMode(SerialPort& port, bool on);

 private:
  MonitorLoop loop_;
};

}  // namespace QrCom
