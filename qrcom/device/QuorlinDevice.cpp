#include "qrcom/device/QuorlinDevice.h"

#include "qrcom/base/QrException.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/port/HidPath.h"

namespace QrCom {

namespace {
constexpr uint8_t kIdentify = 0xFF;
constexpr uint8_t kIdentified = 0xFE;
constexpr uint8_t kProtocolVersion = 0x0C;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kEnd = 0x16;

bool beginsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}
}  // namespace

QuorlinDevice::QuorlinDevice(int comPortNumber) : comPortNumber_(comPortNumber) {
  identify(openPort());
}

QuorlinDevice::QuorlinDevice(const std::wstring& hidDevicePath) : hidDevicePath_(hidDevicePath) {
  if (!parseHidPath(hidDevicePath)) throw NoDeviceFoundException(L"");
  identify(openPort());
}

QuorlinDevice::QuorlinDevice(int comPortNumber, uint8_t modelId, InBootLoader)
    : comPortNumber_(comPortNumber), modelId_(modelId), waitingInBootLoader_(true) {
  strategies_ = selectStrategies(*openPort(), 0);
}

std::unique_ptr<QuorlinDevice> QuorlinDevice::waitingInBootLoader(int comPortNumber,
                                                                  uint8_t modelId) {
  return std::unique_ptr<QuorlinDevice>(new QuorlinDevice(comPortNumber, modelId, InBootLoader()));
}

QuorlinDevice::QuorlinDevice(const QuorlinDevice& other)
    : comPortNumber_(other.comPortNumber_),
      modelId_(other.modelId_),
      hidDevicePath_(other.comPortNumber_ == 0 ? other.hidDevicePath_ : std::wstring()),
      waitingInBootLoader_(other.waitingInBootLoader_.load()),
      monitorSink_(other.monitorSink_.load()),
      workingDirectory_(other.workingDirectory_) {
  const Strategies& from = other.strategies_;
  strategies_.serviceInfo = from.serviceInfo->clone();
  strategies_.serialNumber = from.serialNumber->clone();
  strategies_.firmwareUpload = selectFirmwareUploadStrategy();
  strategies_.fileTransfer = from.fileTransfer->clone();
  strategies_.maintenance = from.maintenance->clone();
  strategies_.monitorMode = from.monitorMode->clone();
  strategies_.firmwareVersion = from.firmwareVersion->clone();
  strategies_.bluetoothVariant = from.bluetoothVariant->clone();
}

QuorlinDevice::~QuorlinDevice() {
  endMonitorThreads();
}

std::unique_ptr<QuorlinDevice> QuorlinDevice::clone() const {
  return std::make_unique<QuorlinDevice>(*this);
}

void QuorlinDevice::identify(std::unique_ptr<SerialPort> port) {
  bool awakeAlone = false;
  modelId_ = identifyModel(*port, awakeAlone);
  if (awakeAlone) throw WaitingInBootLoaderException(L"");
  if (modelId_ == 0) throw NoDeviceFoundException(L"");
  const uint16_t version = queryProtocolVersion(*port);
  strategies_ = selectStrategies(*port, version);
}

uint8_t QuorlinDevice::identifyModel(SerialPort& port) {
  bool awakeAlone = false;
  return identifyModel(port, awakeAlone);
}

uint8_t QuorlinDevice::identifyModel(SerialPort& port, bool& awakeAlone) {
  awakeAlone = false;
  try {
    port.purge();
    port.writeByte(kIdentify);
    if (port.readByte() != kIdentified) return 0;
    awakeAlone = true;
    const uint8_t model = port.readByte();
    awakeAlone = false;
    return model;
  } catch (const CannotWriteToPortException&) {
    throw;
  } catch (const QrException&) {
    return 0;
  }
}

uint16_t QuorlinDevice::queryProtocolVersion(SerialPort& port) {
  uint16_t version = 0;
  try {
    port.purge();
    port.writeByte(kProtocolVersion);
    if (port.readByte() == kAck && port.readByte() == kProtocolVersion) {
      const uint8_t high = port.readByte();
      const uint8_t low = port.readByte();
      if (port.readByte() == kEnd) {
        version = static_cast<uint16_t>(high << 8 | low);
        port.writeByte(kAck);
        port.writeByte(kEnd);
      }
    }
    port.purge();
  } catch (const QrException&) {
    // A version already assembled stands even if the answer to it fails.
  }
  return version;
}

bool QuorlinDevice::isServiceSupported(int serviceId) const {
  if (serviceId == 0) return true;
  if ((serviceId == 27 || serviceId == 28) && modelId_ == 84) {
    // These Vantra firmwares have no real-time clock.
    try {
      const std::wstring serial = strategies_.serialNumber->getSerialNumber();
      if (beginsWith(serial, L"FP3") || beginsWith(serial, L"FP4")) return false;
    } catch (const QrException&) {
      // No serial number: nothing rules the service out.
    }
  }
  // The version and Bluetooth-variant strategies are not asked: their services (36, 37) have
  // never been offered through this query.
  const Strategies& s = strategies_;
  return s.serviceInfo->supportsService(serviceId) || s.serialNumber->supportsService(serviceId) ||
         s.firmwareUpload->supportsService(serviceId) ||
         s.fileTransfer->supportsService(serviceId) || s.maintenance->supportsService(serviceId) ||
         s.monitorMode->supportsService(serviceId);
}

bool QuorlinDevice::supportsDirectories() const {
  return isServiceSupported(31) && isServiceSupported(32);
}

std::wstring QuorlinDevice::getModelName(const ModelNameSource* nameSource) const {
  if (modelId_ == ModelTable::kPageling) {
    return nameSource != nullptr ? nameSource->pocketReaderName() : std::wstring();
  }
  return ModelTable::modelName(modelId_);
}

int QuorlinDevice::getCellCount() const {
  return ModelTable::cellCount(modelId_);
}

int QuorlinDevice::getPortNumber() const {
  return comPortNumber_;
}

uint8_t QuorlinDevice::getModelId() const {
  return modelId_;
}

bool QuorlinDevice::isFundoFamily() const {
  return ModelTable::isFundoLine(modelId_);
}

bool QuorlinDevice::isUsbHid() const {
  return comPortNumber_ == 0;
}

std::wstring QuorlinDevice::hidDevicePath() const {
  std::lock_guard<NativeMutex> guard(lock_);
  return hidDevicePath_;
}

std::wstring QuorlinDevice::getFirmwareVersion() const {
  return strategies_.firmwareVersion->getFirmwareVersion();
}

std::wstring QuorlinDevice::getFirmwareVersionPrefix() const {
  return strategies_.firmwareVersion->cutFirmwareVersion(L'_');
}

bool QuorlinDevice::isBluetoothVersion() const {
  return strategies_.bluetoothVariant->isBluetoothVersion();
}

std::wstring QuorlinDevice::getSerialNumber() const {
  return strategies_.serialNumber->getSerialNumber();
}

bool QuorlinDevice::hasValidSerialNumber() const {
  return strategies_.serialNumber->hasValidSerialNumber();
}

bool QuorlinDevice::hasDefaultSerialNumber() const {
  return strategies_.serialNumber->hasDefaultSerialNumber();
}

int QuorlinDevice::getDeliveryYear() const {
  return strategies_.serialNumber->getDeliveryYear();
}

bool QuorlinDevice::usesPocketReaderProtocol() const {
  return strategies_.fileTransfer->usesPocketReaderProtocol();
}

bool QuorlinDevice::usesLegacyTableSlots() const {
  return strategies_.maintenance->usesLegacyTableSlots();
}

}  // namespace QrCom
