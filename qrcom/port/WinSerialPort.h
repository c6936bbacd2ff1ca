#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "qrcom/port/SerialPort.h"

namespace QrCom {

// A COM port: a native RS-232 port, a USB-serial adapter or a Bluetooth serial port, at 19200
// baud, odd parity, 8 data bits, one stop bit. Opening a port in use asks the resident display
// driver to release it. Open from construction to destruction. A refused SetCommState always
// fails the port (ErrorOnInitializationException): a Windows serial driver carries parity, so
// unlike a pty on Linux there is no line whose refusal could be excused.
class WinSerialPort : public SerialPort {
 public:
  // Throws a PortException when the port can't be opened or set up; no object results.
  explicit WinSerialPort(int portNumber);
  ~WinSerialPort() override;
  WinSerialPort(const WinSerialPort&) = delete;
  WinSerialPort& operator=(const WinSerialPort&) = delete;

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using SerialPort::readBuffer;
  uint8_t readByte() override;
  void purge() override;
  void setBaudRate(uint32_t baud) override;
  uint32_t getBaudRate() const override { return baudRate_; }
  bool canChangeBaudRate() const override { return false; }
  PortType getPortType() const override { return portType_; }
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;

 protected:
  virtual HANDLE openPort(int portNumber);
  // Line settings. parity: 0 odd, 1 even, 2 none, 3 mark, 4 space; stopBits: 0 one, 1 two,
  // 2 one and a half; other values keep what the port has.
  virtual void setPortParameters(HANDLE handle, uint32_t baud, int parity, int byteSize,
                                 int stopBits);
  // Read and write time-outs for the port type.
  virtual void setPortParameters(HANDLE handle, PortType portType);
  virtual void releaseResidentDriver(int portNumber);
  virtual void resumeResidentDriver();
  virtual void throwUnableToOpenPort(const wchar_t* context, const wchar_t* portName);

 private:
  void initializePort(int portNumber);
  void close();
  [[noreturn]] void failInitialization(const std::wstring& message);

  PortType portType_ = PortType::Unclassified;
  HANDLE handle_ = nullptr;
  wchar_t portName_[20] = {};
  uint32_t baudRate_ = 19200;
  bool driverReleased_ = false;
};

// The kind of COM port `portNumber` by the service of its driver (SetupAPI).
PortType determinePortType(int portNumber);

}  // namespace QrCom
