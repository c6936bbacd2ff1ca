#pragma once

#include <cstdint>

namespace QrCom {

enum class PortType : int32_t {
  NativeSerial = 0,
  UsbSerialAdapter = 1,
  BluetoothSerial = 2,
  UsbHid = 3,
  Unclassified = 4,
};

// The byte link to one display: a COM port or the display's USB-HID interface. Every protocol
// talks to a display through this interface only. Failures are PortException leaves.
// The virtual functions stand in the interface's fixed slot order: do not reorder them.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Writes all `length` bytes or throws CannotWriteToPortException.
  virtual void writeBuffer(const uint8_t* data, uint32_t length) = 0;
  // readBuffer(data, length, true): returns how many of the requested bytes arrived.
  virtual uint32_t readBuffer(uint8_t* data, uint32_t length);
  // One byte; on silence a COM port throws CannotReadFromPortException, a HID port returns 0.
  virtual uint8_t readByte() = 0;
  virtual void writeByte(uint8_t value);
  // Discards everything pending in both directions.
  virtual void purge() = 0;
  virtual void setBaudRate(uint32_t baud) = 0;
  virtual uint32_t getBaudRate() const = 0;
  virtual bool canChangeBaudRate() const = 0;
  virtual PortType getPortType() const = 0;
  // With `retry`, a short first read is followed by one more read for the rest.
  virtual uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) = 0;
};

}  // namespace QrCom
