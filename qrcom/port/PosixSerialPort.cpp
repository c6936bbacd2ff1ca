#include "qrcom/port/PosixSerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/ComPortTexts.h"
#include "qrcom/port/PortClassification.h"

namespace QrCom {

namespace {

using std::chrono::steady_clock;

constexpr int kOpenRounds = 10;
constexpr uint32_t kPurgePause = 50;
constexpr uint32_t kSettlePause = 500;  // after opening and closing a Bluetooth or unknown port
// For the screen reader's driver to let go of the tty, and before it is asked to take it again.
constexpr uint32_t kReleasePause = 750;
constexpr uint32_t kResumePause = 750;
constexpr uint32_t kNativeReadMultiplier = 100;
constexpr uint32_t kOtherReadMultiplier = 300;
constexpr uint32_t kReadConstant = 1000;
constexpr uint32_t kWriteMultiplier = 10;
constexpr uint32_t kWriteConstant = 10;
constexpr uint32_t kFailed = UINT32_MAX;

bool settles(PortType type) {
  return type == PortType::BluetoothSerial || type == PortType::Unclassified;
}

struct Rate {
  uint32_t baud;
  speed_t speed;
};
constexpr Rate kRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {921600, B921600},   {1000000, B1000000}, {1500000, B1500000}, {2000000, B2000000},
    {3000000, B3000000}, {4000000, B4000000}};

bool speedOf(uint32_t baud, speed_t& speed) {
  for (const Rate& rate : kRates) {
    if (rate.baud == baud) {
      speed = rate.speed;
      return true;
    }
  }
  return false;
}

uint32_t baudOf(speed_t speed) {
  for (const Rate& rate : kRates) {
    if (rate.speed == speed) return rate.baud;
  }
  return 0;
}

// Milliseconds until `deadline`, rounded up; 0 once it has passed.
int millisecondsUntil(steady_clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
  return left.count() > 0 ? static_cast<int>(std::min<long long>(left.count(), INT_MAX)) : 0;
}

// Whether the tty holds `wanted` but for the parity enable. A line that cannot carry parity (a
// pty, some adapters) drops PARENB; when that was the only change asked for, the C library
// reports the request as refused (EINVAL) although everything else took.
bool tookAllButParity(int descriptor, const termios& wanted) {
  termios now{};
  if (tcgetattr(descriptor, &now) != 0) return false;
  return now.c_iflag == wanted.c_iflag && now.c_oflag == wanted.c_oflag &&
         now.c_lflag == wanted.c_lflag && (now.c_cflag | PARENB) == (wanted.c_cflag | PARENB) &&
         cfgetispeed(&now) == cfgetispeed(&wanted) && cfgetospeed(&now) == cfgetospeed(&wanted) &&
         now.c_cc[VMIN] == wanted.c_cc[VMIN] && now.c_cc[VTIME] == wanted.c_cc[VTIME];
}

// Waits for `events` on the tty; false when the tty hung up or failed.
bool await(int descriptor, short events, int milliseconds) {
  pollfd polled{descriptor, events, 0};
  if (poll(&polled, 1, milliseconds) < 0) return errno == EINTR;
  return (polled.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

// Opens `path` for this process alone; `denied` tells a port that another process holds (or
// that this user may not open) from one that is not there.
int openExclusively(const std::string& path, bool& denied) {
  const int descriptor = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    denied = errno == EACCES || errno == EBUSY || errno == EPERM;
    return -1;
  }
  // TIOCEXCL keeps other users out; the lock also keeps out root and anyone who asks first.
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    close(descriptor);
    denied = true;
    return -1;
  }
  ioctl(descriptor, TIOCEXCL);
  return descriptor;
}

}  // namespace

PosixSerialPort::PosixSerialPort(const std::wstring& path, int portNumber) : portName_(path) {
  initializePort(portNumber);
}

void PosixSerialPort::initializePort(int portNumber) {
  baudRate_ = 19200;
  portType_ = determinePortType(toUtf8(portName_));
  descriptor_ = openPort(portNumber);
  try {
    setPortParameters(descriptor_, 19200, 0, 8, 0);
    setPortParameters(descriptor_, portType_);
  } catch (const PortException&) {
    // No object results, so nothing else would ever close it or give it back.
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
    resumeResidentDriver();
    throw;
  }
  purge();
  uint32_t stale = 0;
  takeLineErrors(stale);
  if (settles(portType_)) clock().sleep(kSettlePause);
}

PosixSerialPort::~PosixSerialPort() {
  if (descriptor_ >= 0) {
    close(descriptor_);
    descriptor_ = -1;
    if (settles(portType_)) clock().sleep(kSettlePause);
  }
  if (driverReleased_) resumeResidentDriver();
}

int PosixSerialPort::tryOpen(bool& denied) const {
  return openExclusively(toUtf8(portName_), denied);
}

bool PosixSerialPort::isBusy(const std::string& path) {
  bool denied = false;
  const int descriptor = openExclusively(path, denied);
  if (descriptor >= 0) close(descriptor);
  return denied;
}

int PosixSerialPort::openPort(int portNumber) {
  driverReleased_ = false;
  bool denied = false;
  int descriptor = tryOpen(denied);
  if (descriptor >= 0 || !denied) return descriptor;
  for (int round = 0; round < kOpenRounds; ++round) {
    releaseResidentDriver(portNumber);
    descriptor = tryOpen(denied);
    if (descriptor >= 0) {
      driverReleased_ = true;
      return descriptor;
    }
    resumeResidentDriver();
  }
  throwUnableToOpenPort(L"PosixSerialPort::openPort -- ", portName_.c_str());
  return -1;  // an override that returns leaves the port unopened
}

void PosixSerialPort::throwUnableToOpenPort(const wchar_t* context, const wchar_t* portName) {
  throw UnableToOpenPortException(compose(context, ComPortText::cannotBeOpened(portName)));
}

void PosixSerialPort::releaseResidentDriver(int) {
  screenReader_.suspend(kReleasePause);
}

void PosixSerialPort::resumeResidentDriver() {
  screenReader_.resume(kResumePause);
}

void PosixSerialPort::setPortParameters(int descriptor, uint32_t baud, int parity, int byteSize,
                                        int stopBits) {
  constexpr wchar_t kPrefix[] = L"PosixSerialPort::setPortParameters -- ";
  termios settings{};
  if (tcgetattr(descriptor, &settings) != 0) {
    throw ErrorOnInitializationException(compose(kPrefix, ComPortText::readingSettings(portName_)));
  }
  // Raw bytes, no flow control; the parity check (INPCK, IGNPAR) keeps what the tty had.
  settings.c_iflag &=
      ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | IMAXBEL);
  settings.c_oflag &= ~OPOST;
  settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~(CRTSCTS | HUPCL);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;

  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  static const tcflag_t parities[] = {PARENB | PARODD, PARENB, 0, PARENB | PARODD | CMSPAR,
                                      PARENB | CMSPAR};
  speed_t speed = B0;
  bool valid = speedOf(baud, speed) && byteSize >= 5 && byteSize <= 8;
  if (valid) {
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    settings.c_cflag = (settings.c_cflag & ~CSIZE) | sizes[byteSize - 5];
  }
  if (parity >= 0 && parity < 5) {
    settings.c_cflag = (settings.c_cflag & ~(PARENB | PARODD | CMSPAR)) | parities[parity];
  }
  if (stopBits == 0) {
    settings.c_cflag &= ~CSTOPB;
  } else if (stopBits == 1) {
    settings.c_cflag |= CSTOPB;
  } else if (stopBits == 2) {
    // One and a half stop bits exist only with five data bits, as on Windows.
    valid = valid && byteSize == 5;
    settings.c_cflag |= CSTOPB;
  }
  const bool applied = valid && (tcsetattr(descriptor, TCSANOW, &settings) == 0 ||
                                 (errno == EINVAL && tookAllButParity(descriptor, settings)));
  if (!applied) {
    throw ErrorOnInitializationException(compose(kPrefix, ComPortText::writingSettings(portName_)));
  }
  const int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(descriptor, TIOCMBIC, &lines);  // ttys without modem lines (ptys) refuse: nothing to do
}

void PosixSerialPort::setPortParameters(int descriptor, PortType portType) {
  constexpr wchar_t kPrefix[] = L"PosixSerialPort::setPortParameters -- ";
  termios settings{};
  if (tcgetattr(descriptor, &settings) != 0) {
    throw ErrorOnInitializationException(compose(kPrefix, ComPortText::readingTimeouts(portName_)));
  }
  readMultiplier_ =
      portType == PortType::NativeSerial ? kNativeReadMultiplier : kOtherReadMultiplier;
  // Without it a USB-serial adapter holds received bytes up to 16 ms, which adds up to
  // minutes over the thousands of acknowledgements of an upload.
  serial_struct serial{};
  if (ioctl(descriptor, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(descriptor, TIOCSSERIAL, &serial);
  }
}

void PosixSerialPort::setBaudRate(uint32_t baud) {
  constexpr wchar_t kPrefix[] = L"PosixSerialPort::setBaudRate -- ";
  baudRate_ = baud;
  termios settings{};
  if (tcgetattr(descriptor_, &settings) != 0) {
    throw ErrorOnInitializationException(compose(kPrefix, ComPortText::readingSettings(portName_)));
  }
  if (baudOf(cfgetospeed(&settings)) == baud) return;
  speed_t speed = B0;
  if (!speedOf(baud, speed) || cfsetispeed(&settings, speed) != 0 ||
      cfsetospeed(&settings, speed) != 0 || tcsetattr(descriptor_, TCSANOW, &settings) != 0) {
    throw ErrorOnInitializationException(compose(kPrefix, ComPortText::writingSettings(portName_)));
  }
}

void PosixSerialPort::purge() {
  if (descriptor_ < 0) return;
  clock().sleep(kPurgePause);
  tcflush(descriptor_, TCIOFLUSH);
}

uint32_t PosixSerialPort::writeOnce(const uint8_t* data, uint32_t length) {
  // The time-out stands in for the OS's own, like the read's below.
  const auto deadline =
      steady_clock::now() + std::chrono::milliseconds(kWriteMultiplier * length + kWriteConstant);
  uint32_t count = 0;
  while (count < length) {
    const ssize_t written = write(descriptor_, data + count, length - count);
    if (written > 0) {
      count += static_cast<uint32_t>(written);
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EINTR) return kFailed;
    const int left = millisecondsUntil(deadline);
    if (left == 0) break;
    if (!await(descriptor_, POLLOUT, left)) return kFailed;
  }
  return count;
}

void PosixSerialPort::writeBuffer(const uint8_t* data, uint32_t length) {
  const uint32_t first = writeOnce(data, length);
  if (first == length) return;
  if (first != kFailed) {
    const uint32_t second = writeOnce(data + first, length - first);
    if (second != kFailed && first + second >= length) return;
  }
  throw CannotWriteToPortException(
      compose(L"PosixSerialPort::writeBuffer -- ", ComPortText::writingBuffer(portName_)));
}

uint32_t PosixSerialPort::readOnce(uint8_t* data, uint32_t length) {
  // The read time-out of a COM port, on the steady clock: it is the device's time, not one of
  // the protocol's pauses.
  const auto deadline =
      steady_clock::now() + std::chrono::milliseconds(readMultiplier_ * length + kReadConstant);
  uint32_t count = 0;
  for (;;) {
    while (count < length) {
      const ssize_t got = read(descriptor_, data + count, length - count);
      if (got > 0) {
        count += static_cast<uint32_t>(got);
      } else if (got == 0 || errno == EAGAIN || errno == EINTR) {
        break;
      } else {
        return kFailed;
      }
    }
    if (count == length) return count;
    const int left = millisecondsUntil(deadline);
    if (left == 0) return count;
    if (!await(descriptor_, POLLIN, left)) return kFailed;
  }
}

bool PosixSerialPort::takeLineErrors(uint32_t& errorSet) {
  serial_icounter_struct counts{};
  if (ioctl(descriptor_, TIOCGICOUNT, &counts) != 0) return false;
  errorSet = 0;
  if (counts.buf_overrun != counted_.overflow) errorSet |= LineError::kReceiveQueueOverflow;
  if (counts.overrun != counted_.overrun) errorSet |= LineError::kOverrun;
  if (counts.parity != counted_.parity) errorSet |= LineError::kParity;
  if (counts.frame != counted_.framing) errorSet |= LineError::kFraming;
  if (counts.brk != counted_.breaks) errorSet |= LineError::kBreak;
  counted_ = {counts.buf_overrun, counts.overrun, counts.parity, counts.frame, counts.brk};
  return true;
}

uint32_t PosixSerialPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  constexpr wchar_t kPrefix[] = L"PosixSerialPort::readBuffer -- ";
  uint32_t count = readOnce(data, length);
  if (count == kFailed) count = 0;
  if (retry && count < length) {
    const uint32_t more = readOnce(data + count, length - count);
    if (more != kFailed) count += more;
  }
  uint32_t errors = 0;
  if (count < length && takeLineErrors(errors) && errors != 0) {
    throw CannotReadFromPortException(
        compose(kPrefix, ComPortText::readingWithLineError(portName_, errors)));
  }
  if (count > 0) return count;
  takeLineErrors(errors);
  throw CannotReadFromPortException(compose(kPrefix, ComPortText::reading(portName_)));
}

uint8_t PosixSerialPort::readByte() {
  uint8_t byte = 0;
  if (readOnce(&byte, 1) == 1) return byte;
  const uint32_t second = readOnce(&byte, 1);
  if (second == 1) return byte;
  throw CannotReadFromPortException(
      compose(L"PosixSerialPort::readByte --", second == 0 ? ComPortText::noByteArrived(portName_)
                                                           : ComPortText::reading(portName_)));
}

PortType determinePortType(const std::string& path) {
  std::error_code error;
  const std::filesystem::path tty = std::filesystem::canonical(path, error);
  if (error) return PortType::Unclassified;
  const std::string name = tty.filename().string();
  const std::filesystem::path device = std::filesystem::path("/sys/class/tty") / name / "device";
  const bool hasDevice = std::filesystem::exists(device, error);
  const std::string subsystem =
      hasDevice ? std::filesystem::read_symlink(device / "subsystem", error).filename().string()
                : std::string();
  return classifyTty(name, hasDevice, subsystem);
}

}  // namespace QrCom
