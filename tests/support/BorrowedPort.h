#pragma once

#include <atomic>

#include "qrcom/port/SerialPort.h"

namespace QrTest {

// Hands a test's port to an owner that deletes its ports (a device) while the test keeps it;
// counts how many such handles were closed.
class BorrowedPort : public QrCom::SerialPort {
 public:
  explicit BorrowedPort(QrCom::SerialPort& port, std::atomic<int>* closed = nullptr)
      : port_(port), closed_(closed) {}
  ~BorrowedPort() override {
    if (closed_ != nullptr) ++*closed_;
  }

  void writeBuffer(const uint8_t* data, uint32_t length) override {
    port_.writeBuffer(data, length);
  }
  using QrCom::SerialPort::readBuffer;
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override {
    return port_.readBuffer(data, length, retry);
  }
  uint8_t readByte() override { return port_.readByte(); }
  void purge() override { port_.purge(); }
  void setBaudRate(uint32_t baud) override { port_.setBaudRate(baud); }
  uint32_t getBaudRate() const override { return port_.getBaudRate(); }
  bool canChangeBaudRate() const override { return port_.canChangeBaudRate(); }
  QrCom::PortType getPortType() const override { return port_.getPortType(); }

 private:
  QrCom::SerialPort& port_;
  std::atomic<int>* closed_;
};

}  // namespace QrTest
