#pragma once

#include <cstdint>
#include <string>

#include "qrcom/port/ScreenReaderDriver.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

// A serial tty (a native port, a USB-serial adapter, a Bluetooth rfcomm port) with the contract
// of WinSerialPort: 19200 baud, odd parity, 8 data bits, one stop bit, no flow control, DTR and
// RTS off; a read of n bytes gives up after 100·n + 1000 ms on a native port and 300·n + 1000
// ms on any other; the same texts, with this class's name and the tty's path. The tty is held
// exclusively (TIOCEXCL and flock), so a second program is refused as on Windows. A line that
// cannot carry parity (a pty) is taken as it is when everything else was set. The resident
// driver here is the screen reader's daemon: a held tty has its Braille driver suspended for
// the port's lifetime (see ScreenReaderDriver.h).
class PosixSerialPort : public SerialPort {
 public:
  // `portNumber` is the COM number the port table gives the tty. Throws a PortException when
  // the port can't be opened or set up; no object results.
  explicit PosixSerialPort(const std::wstring& path, int portNumber = 0);
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  void writeBuffer(const uint8_t* data, uint32_t length) override;
  using SerialPort::readBuffer;
  uint8_t readByte() override;
  void purge() override;
  void setBaudRate(uint32_t baud) override;
  uint32_t getBaudRate() const override { return baudRate_; }
  bool canChangeBaudRate() const override { return false; }
  PortType getPortType() const override { return portType_; }
  uint32_t readBuffer(uint8_t* data, uint32_t length, bool retry) override;

  // Whether another process keeps the tty `path` from being opened for a display, as it keeps
  // the port's own opening out; false when it opens, or fails for another reason.
  static bool isBusy(const std::string& path);

 protected:
  virtual int openPort(int portNumber);
  // Line settings. parity: 0 odd, 1 even, 2 none, 3 mark, 4 space; stopBits: 0 one, 1 two,
  // 2 one and a half (five data bits only); other values keep what the tty has.
  virtual void setPortParameters(int descriptor, uint32_t baud, int parity, int byteSize,
                                 int stopBits);
  // Read time-outs for the port type; the tty's low-latency mode where its driver has one.
  virtual void setPortParameters(int descriptor, PortType portType);
  virtual void releaseResidentDriver(int portNumber);
  virtual void resumeResidentDriver();
  virtual void throwUnableToOpenPort(const wchar_t* context, const wchar_t* portName);

 private:
  struct LineCounts {
    int overflow = 0, overrun = 0, parity = 0, framing = 0, breaks = 0;
  };

  void initializePort(int portNumber);
  int tryOpen(bool& denied) const;
  uint32_t readOnce(uint8_t* data, uint32_t length);
  uint32_t writeOnce(const uint8_t* data, uint32_t length);
  // Like ClearCommError: the line errors since the last call; false when the driver can't tell.
  bool takeLineErrors(uint32_t& errorSet);

  PortType portType_ = PortType::Unclassified;
  int descriptor_ = -1;
  std::wstring portName_;
  uint32_t baudRate_ = 19200;
  bool driverReleased_ = false;
  ScreenReaderDriverHold screenReader_;
  uint32_t readMultiplier_ = 300;
  LineCounts counted_;
};

// The kind of the tty at `path`, from sysfs.
PortType determinePortType(const std::string& path);

}  // namespace QrCom
