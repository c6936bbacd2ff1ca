#include "qrcom/port/HidPort.h"

#include <algorithm>
#include <mutex>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/port/HidPath.h"

namespace QrCom {

namespace {

constexpr uint8_t kInputReport = 0x01;
constexpr uint8_t kDataReport = 0x02;
constexpr uint8_t kBridgeStartReport = 0xFB;
constexpr uint8_t kLineSpeedReport = 0xFD;
constexpr uint32_t kInitialBaud = 19200;
constexpr uint32_t kSettleAfterInitMs = 300;
constexpr uint32_t kPauseBeforeFlushMs = 50;
constexpr uint32_t kSystemInputBuffers = 200;
constexpr int kOpenAttempts = 10;
// A device that fails every read (it left the bus) is asked again at this pace, not in a spin.
constexpr uint32_t kReadRetryMs = 100;

}  // namespace

HidPort::HidPort(const std::wstring& devicePath) {
  try {
    initializePort(devicePath);
  } catch (...) {
    close();
    throw;
  }
}

HidPort::~HidPort() {
  close();
}

void HidPort::initializePort(const std::wstring& devicePath) {
  devicePath_ = devicePath;
  const auto productId = parseHidPath(devicePath);
  if (!productId) {
    throw UnableToOpenPortException(L"Invalide USB vendor and product ID");
  }
  bridge_ = isBridgeProduct(*productId);
  try {
    ringLock_ = std::make_unique<NativeMutex>();
    stopEvent_ = std::make_unique<NativeEvent>();
    dataEvent_ = std::make_unique<NativeEvent>();
  } catch (const std::exception&) {
    throw UnableToOpenPortException(L"Invalide event.");
  }
  device_ = openPort(devicePath);
  if (!device_) throw UnableToOpenPortException(L"Can not open port");
  const auto capabilities = device_->capabilities();
  // A report must hold at least its id and its count byte.
  if (!capabilities || capabilities->outputReportLength < 3 ||
      capabilities->inputReportLength < 3) {
    device_.reset();
    throwUnableToOpenPort(L"HidPort::initializePort -- ");
  }
  capabilities_ = *capabilities;
  // Room for the line-speed report even on a device with tiny reports.
  outputReport_.assign(std::max<uint32_t>(capabilities_.outputReportLength + 1, 6), 0);
  inputReport_.assign(capabilities_.inputReportLength + 1, 0);
  reader_ = std::thread([this] { readerLoop(); });
  if (bridge_) {
    std::fill(outputReport_.begin(), outputReport_.end(), 0);
    outputReport_[0] = kBridgeStartReport;
    outputReport_[1] = 0x01;
    device_->setOutputReport(outputReport_.data(), capabilities_.outputReportLength);
  }
  purge();
  baudRate_ = kInitialBaud;
  setBaudRate(kInitialBaud);
  clock().sleep(kSettleAfterInitMs);
}

std::unique_ptr<HidDevice> HidPort::openPort(const std::wstring& path) {
  driverReleased_ = false;
  HidBus::Opened opened = hidBus().open(path);
  if (opened.failure == HidBus::OpenFailure::Denied) {
    for (int attempt = 0; attempt < kOpenAttempts && !opened.device; ++attempt) {
      releaseResidentDriver();
      opened = hidBus().open(path);
      if (opened.device) {
        driverReleased_ = true;
      } else {
        resumeResidentDriver();
      }
    }
    if (!opened.device) throwUnableToOpenPort(L"HidPort::openPort -- ");
  }
  if (opened.device) opened.device->setInputBufferCount(kSystemInputBuffers);
  return std::move(opened.device);
}

void HidPort::throwUnableToOpenPort(const wchar_t* context) {
  throw UnableToOpenPortException(compose(context, L" Port \"", portName_, L"\" can't be opened."));
}

void HidPort::readerLoop() {
  while (!stopping_) {
    const int length = device_->readReport(inputReport_.data(), capabilities_.inputReportLength);
    if (length > 0) {
      onInputReport(inputReport_.data(), static_cast<uint32_t>(length));
    } else if (length < 0 && !stopping_) {
      stopEvent_->wait(kReadRetryMs);
    }
  }
}

void HidPort::onInputReport(const uint8_t* report, uint32_t length) {
  if (length <= 2 || report[0] != kInputReport) return;
  const uint32_t count = std::min<uint32_t>(report[1], length - 2);
  {
    std::lock_guard<NativeMutex> guard(*ringLock_);
    for (uint32_t i = 0; i < count; ++i) {
      ring_[writeIndex_] = report[2 + i];
      writeIndex_ = (writeIndex_ + 1) % kRingSize;
      // A full ring gives up its oldest byte; the reader keeps the newest 1023 in order instead
      // of an empty-looking ring once the writer has passed it.
      if (writeIndex_ == readIndex_) readIndex_ = (readIndex_ + 1) % kRingSize;
    }
  }
  dataEvent_->set();
}

uint32_t HidPort::available() const {
  std::lock_guard<NativeMutex> guard(*ringLock_);
  return writeIndex_ >= readIndex_ ? writeIndex_ - readIndex_
                                   : writeIndex_ + kRingSize - readIndex_;
}

uint32_t HidPort::take(uint8_t* destination, uint32_t length) {
  uint32_t ready = available();
  if (ready < length) {
    const uint32_t start = clock().tick();
    do {
      // The event stands for "a report came since I last looked": clear it, then look.
      dataEvent_->reset();
      ready = available();
      if (ready >= length || stopping_) break;
      device_->waitForInput(*dataEvent_, kReadStepMs);
      ready = available();
    } while (ready < length && !stopping_ && clock().tick() - start <= kReadBudgetMs);
  }
  std::lock_guard<NativeMutex> guard(*ringLock_);
  ready =
      writeIndex_ >= readIndex_ ? writeIndex_ - readIndex_ : writeIndex_ + kRingSize - readIndex_;
  const uint32_t count = std::min(ready, length);
  for (uint32_t i = 0; i < count; ++i) {
    destination[i] = ring_[readIndex_];
    readIndex_ = (readIndex_ + 1) % kRingSize;
  }
  return count;
}

uint32_t HidPort::readBuffer(uint8_t* data, uint32_t length, bool retry) {
  uint32_t count = take(data, length);
  if (retry && count < length) count += take(data + count, length - count);
  return count;
}

uint8_t HidPort::readByte() {
  uint8_t byte = 0;
  take(&byte, 1);
  return byte;
}

void HidPort::writeBuffer(const uint8_t* data, uint32_t length) {
  const uint32_t reportLength = capabilities_.outputReportLength;
  // The count byte limits a chunk to 255 bytes whatever the report length.
  const uint32_t chunk = std::min<uint32_t>(reportLength - 2, 255);
  while (length > 0) {
    const uint32_t count = std::min(length, chunk);
    std::fill(outputReport_.begin(), outputReport_.end(), 0);
    outputReport_[0] = kDataReport;
    outputReport_[1] = static_cast<uint8_t>(count);
    std::copy(data, data + count, outputReport_.begin() + 2);
    switch (device_->writeReport(outputReport_.data(), reportLength)) {
      case HidDevice::WriteOutcome::Written:
        break;
      case HidDevice::WriteOutcome::NoEvent:
        throw CannotWriteToPortException(L"Overlapped write event couln't be created.");
      case HidDevice::WriteOutcome::CompletionUnknown:
        throw CannotWriteToPortException(L"GetOverlappedResult failed");
      case HidDevice::WriteOutcome::Failed:
        throw CannotWriteToPortException(L"Error writing data to port");
    }
    data += count;
    length -= count;
  }
}

void HidPort::purge() {
  if (device_) {
    clock().sleep(kPauseBeforeFlushMs);
    device_->flush();
  }
  std::lock_guard<NativeMutex> guard(*ringLock_);
  writeIndex_ = 0;
  readIndex_ = 0;
}

void HidPort::setBaudRate(uint32_t baud) {
  if (bridge_) {
    std::fill(outputReport_.begin(), outputReport_.end(), 0);
    outputReport_[0] = kLineSpeedReport;
    outputReport_[1] = static_cast<uint8_t>(baud >> 24);
    outputReport_[2] = static_cast<uint8_t>(baud >> 16);
    outputReport_[3] = static_cast<uint8_t>(baud >> 8);
    outputReport_[4] = static_cast<uint8_t>(baud);
    if (!device_->setOutputReport(outputReport_.data(), capabilities_.outputReportLength)) {
      resumeResidentDriverWithoutPause();
      throw ErrorOnInitializationException(
          compose(L"HidPort::setBaudRate -- ", L"Error while setting Baudrate for HID."));
    }
  }
  baudRate_ = baud;
}

uint32_t HidPort::getDevicePath(wchar_t* buffer, uint32_t maxChars) const {
  const uint32_t count = static_cast<uint32_t>(std::min<size_t>(devicePath_.size(), maxChars));
  std::copy(devicePath_.begin(), devicePath_.begin() + count, buffer);
  return count;
}

void HidPort::close() {
  if (device_) {
    stopping_ = true;
    device_->cancelRead();
    stopEvent_->set();
    dataEvent_->set();
    if (reader_.joinable()) reader_.join();
    clock().sleep(kPauseBeforeFlushMs);
    device_->flush();
    {
      std::lock_guard<NativeMutex> guard(*ringLock_);
      writeIndex_ = 0;
      readIndex_ = 0;
    }
    device_.reset();
  }
  if (driverReleased_) {
    driverReleased_ = false;
    resumeResidentDriver();
  }
}

}  // namespace QrCom
