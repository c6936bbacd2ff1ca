#pragma once

#include <memory>
#include <string>

#include "qrcom/port/SerialPort.h"
#include "qrcom/port/TraceLog.h"

namespace QrCom {

// A port that writes what passes through it into a trace and otherwise behaves exactly like
// the port it wraps. Notes the opening when made and the closing when destroyed.
class TracingPort : public SerialPort {
 public:
  TracingPort(std::unique_ptr<SerialPort> port, std::wstring name, std::shared_ptr<TraceLog> log);
  ~TracingPort() override;
  TracingPort(const TracingPort&) = delete;
  TracingPort& operator=(const TracingPort&) = delete;

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  uint32_t readBuffer(uint8_t* data, uint32_t length) override;
  uint8_t readByte() override;
  void writeByte(uint8_t value) override;
  void purge() override;
  void setBaudRate(uint32_t baud) override;
  uint32_t getBaudRate() const override { return port_->getBaudRate(); }
  bool canChangeBaudRate() const override { return port_->canChangeBaudRate(); }
  PortType getPortType() const override { return port_->getPortType(); }
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;

 private:
  template <typename Write>
  void traceWrite(const uint8_t* data, uint32_t length, Write write);
  uint32_t traceRead(uint8_t* data, uint32_t length, uint32_t count);

  std::unique_ptr<SerialPort> port_;
  const std::wstring name_;
  const std::shared_ptr<TraceLog> log_;
};

}  // namespace QrCom
