#include "qrcom/port/TracingPort.h"

#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"

namespace QrCom {

namespace {

const char* kindOf(PortType type) {
  switch (type) {
    case PortType::NativeSerial:
      return "serial";
    case PortType::UsbSerialAdapter:
      return "usb-serial";
    case PortType::BluetoothSerial:
      return "bluetooth";
    case PortType::UsbHid:
      return "hid";
    case PortType::Unclassified:
      break;
  }
  return "other";
}

}  // namespace

TracingPort::TracingPort(std::unique_ptr<SerialPort> port, std::wstring name,
                         std::shared_ptr<TraceLog> log)
    : port_(std::move(port)), name_(std::move(name)), log_(std::move(log)) {
  log_->note(
      name_, "open",
      std::string(kindOf(port_->getPortType())) + ' ' + std::to_string(port_->getBaudRate()));
}

TracingPort::~TracingPort() {
  port_.reset();
  log_->note(name_, "close");
}

template <typename Write>
void TracingPort::traceWrite(const uint8_t* data, uint32_t length, Write write) {
  log_->note(name_, "write", hexBytes(data, length));
  try {
    write();
  } catch (const QrException& failure) {
    log_->note(name_, "failed", toUtf8(failure.getMessage()));
    throw;
  }
}

void TracingPort::writeBuffer(const uint8_t* data, uint32_t length) {
  traceWrite(data, length, [&] { port_->writeBuffer(data, length); });
}

void TracingPort::writeByte(uint8_t value) {
  traceWrite(&value, 1, [&] { port_->writeByte(value); });
}

uint32_t TracingPort::traceRead(uint8_t* data, uint32_t length, uint32_t count) {
  if (count > 0) log_->note(name_, "read", hexBytes(data, count));
  if (count < length) log_->note(name_, "timeout", std::to_string(length - count));
  return count;
}

uint32_t TracingPort::readBuffer(uint8_t* data, uint32_t length) {
  return traceRead(data, length, port_->readBuffer(data, length));
}

uint32_t TracingPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  return traceRead(data, length, port_->readBuffer(data, length, retry));
}

uint8_t TracingPort::readByte() {
  uint8_t byte = 0;
  if (port_->getPortType() == PortType::UsbHid) {
    // A HID port answers silence with 0: only the count tells it from a 0 that arrived.
    traceRead(&byte, 1, port_->readBuffer(&byte, 1, false));
    return byte;
  }
  try {
    byte = port_->readByte();
  } catch (const CannotReadFromPortException&) {
    log_->note(name_, "timeout", "1");
    throw;
  }
  traceRead(&byte, 1, 1);
  return byte;
}

void TracingPort::purge() {
  log_->note(name_, "purge");
  port_->purge();
}

void TracingPort::setBaudRate(uint32_t baud) {
  log_->note(name_, "rate", std::to_string(baud));
  port_->setBaudRate(baud);
}

}  // namespace QrCom
