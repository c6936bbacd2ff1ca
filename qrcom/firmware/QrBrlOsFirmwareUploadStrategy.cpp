#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"

#include "qrcom/base/Clock.h"
#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/HexFile.h"
#include "qrcom/firmware/HexRecords.h"
#include "qrcom/port/HidEnumeration.h"
#include "qrcom/port/HidPort.h"

namespace QrCom {

namespace {

constexpr uint8_t kRestart = 0x99;
constexpr uint8_t kFlashLock = 0x4A;
constexpr uint8_t kErase = 0x4B;
constexpr uint8_t kBeginUpload = 0x4C;
constexpr uint8_t kRecord = 0x4D;
constexpr uint8_t kEndUpload = 0x4E;
constexpr uint8_t kAbortUpload = 0x4F;
constexpr uint8_t kBeginBluetooth = 0x6A;
constexpr uint8_t kBluetoothRecord = 0x6B;
constexpr uint8_t kFinishBluetooth = 0x6C;
constexpr uint8_t kAbortBluetooth = 0x6D;

constexpr uint32_t kAfterRestartMs = 3000;
constexpr uint32_t kBetweenListingsMs = 100;
constexpr int kMaxListings = 201;
constexpr uint32_t kEraseMs = 6000;
constexpr uint32_t kBluetoothAnswerMs = 300;
constexpr size_t kMaxPathChars = 260;

const wchar_t kLoadFirmware[] = L"QrBrlOsFirmwareUploadStrategy::loadFirmware -- ";
const wchar_t kLoadBtFirmware[] = L"QrBrlOsFirmwareUploadStrategy::loadBtFirmware -- ";
const wchar_t kNoHid[] = L"No USB-HID port used.";

std::vector<uint8_t> recordPacket(uint8_t modelId, uint8_t type, std::string_view record) {
  return buildPacket(modelId, type, reinterpret_cast<const uint8_t*>(record.data()), record.size());
}

}  // namespace

QrBrlOsFirmwareUploadStrategy::QrBrlOsFirmwareUploadStrategy(QuorlinDevice* device)
    : device_(device) {}

uint8_t QrBrlOsFirmwareUploadStrategy::modelId() const {
  return device_->getModelId();
}

void QrBrlOsFirmwareUploadStrategy::stage(FirmwareUploadProgressSink* sink, uint32_t stage) {
  if (sink != nullptr) sink->onStage(device_, stage);
}

bool QrBrlOsFirmwareUploadStrategy::supportsService(int serviceId) const {
  return serviceId == 11 || serviceId == 29 || serviceId == 30 || serviceId == 38;
}

std::unique_ptr<FirmwareUploadStrategy> QrBrlOsFirmwareUploadStrategy::clone() const {
  return std::make_unique<QrBrlOsFirmwareUploadStrategy>(device_);
}

void QrBrlOsFirmwareUploadStrategy::loadFirmware(SerialPort& port, const std::wstring& path,
                                                 FirmwareUploadProgressSink* sink) {
  running_ = true;
  if (port.getPortType() != PortType::UsbHid) {
    throw NoDeviceFoundException(compose(kLoadFirmware, kNoHid));
  }
  // Read before anything is sent: a file that holds nothing to flash must not cost the display
  // its firmware.
  const std::string data = readFirmwareText(path, kLoadFirmware);
  if (data.find(':') == std::string::npos) {
    throw ErrorWhileLoadingHexFileException(
        compose(kLoadFirmware, L"Firmware file ", path, L" holds no Intel HEX record."));
  }
  SerialPort* current = &port;
  stage(sink, kStageSwitchingToEprom);
  if (!restartInMode(current, true)) {
    throw CannotSwitchToEpromException(compose(kLoadFirmware, L"Cannot switch into IAP mode."));
  }
  stage(sink, kStageErasingFlash);
  if (!setFlashLock(*current, false)) {
    throw CannotDeleteFlashException(compose(kLoadFirmware, L"Cannot unlock flash."));
  }
  if (!restartInMode(current, true)) {
    throw CannotDeleteFlashException(
        compose(kLoadFirmware, L"Cannot restart system after unlock flash."));
  }
  if (!eraseFlash(*current)) {
    throw CannotDeleteFlashException(compose(kLoadFirmware, L"Cannot erase flash."));
  }
  stage(sink, kStageSendingFirmware);
  if (!uploadHexFile(current, path, data, sink)) {
    throw ErrorWhileLoadingHexFileException(compose(kLoadFirmware, L"Cannot upload hex file."));
  }
  setFlashLock(*current, true);  // a loader that refuses the lock still holds the firmware
  stage(sink, kStageSwitchingToFlash);
  if (!restartInMode(current, false)) {
    throw CannotSwitchToFlashException(
        compose(kLoadFirmware, L"Cannot restart system in normal mode."));
  }
}

bool QrBrlOsFirmwareUploadStrategy::restartSystem(SerialPort& port, bool normalMode) {
  SerialPort* current = &port;
  return restartInMode(current, !normalMode);
}

bool QrBrlOsFirmwareUploadStrategy::command(SerialPort& port, uint8_t type,
                                            std::initializer_list<uint8_t> payload,
                                            uint32_t waitMs) {
  try {
    sendPacket(port, buildPacket(modelId(), type, payload));
    if (waitMs > 0) clock().sleep(waitMs);
    return readAcknowledgement(port).positive();
  } catch (const QrException&) {
    return false;
  }
}

bool QrBrlOsFirmwareUploadStrategy::restartInMode(SerialPort*& port, bool iap) {
  const bool usb = port->getPortType() == PortType::UsbHid;
  HidInterfaceList before;
  if (usb) enumerateHidInterfaces(before);
  if (!command(*port, kRestart, {static_cast<uint8_t>(iap ? 1 : 0)})) return false;
  clock().sleep(kAfterRestartMs);
  // A serial line stays where it was; only a USB display comes back, maybe under a new path,
  // and a display on COM must never take over another display's USB interface.
  if (!usb) return true;

  HidInterfaceList after;
  enumerateHidInterfaces(after);
  for (int listings = 1; after.size() < before.size() && listings < kMaxListings; ++listings) {
    clock().sleep(kBetweenListingsMs);
    enumerateHidInterfaces(after);
  }
  if (after.size() < before.size()) return false;

  std::wstring path;
  if (after.size() < 2) {
    if (!after.empty()) path = after.front().path;
  } else if (const auto* hid = dynamic_cast<const HidPort*>(port)) {
    // With several displays only the one that was in use will do.
    wchar_t own[kMaxPathChars];
    const std::wstring current(own, hid->getDevicePath(own, kMaxPathChars));
    for (const HidInterface& entry : after) {
      if (entry.path.substr(0, kMaxPathChars) == current) path = entry.path;
    }
  }
  if (path.empty()) return false;
  try {
    port = &device_->reopenHidPort(path);
  } catch (const QrException&) {
    port = nullptr;  // the old port is gone and no new one came up
    return false;
  }
  return true;
}

bool QrBrlOsFirmwareUploadStrategy::setFlashLock(SerialPort& port, bool locked) {
  return command(port, kFlashLock, {static_cast<uint8_t>(locked ? 1 : 0)});
}

bool QrBrlOsFirmwareUploadStrategy::eraseFlash(SerialPort& port) {
  return command(port, kErase, {}, kEraseMs);
}

bool QrBrlOsFirmwareUploadStrategy::uploadHexFile(SerialPort*& port, const std::wstring& path,
                                                  const std::string& data,
                                                  FirmwareUploadProgressSink* sink) {
  try {
    if (!command(*port, kBeginUpload, {})) return false;
    const uint64_t size = data.size();
    if (sink != nullptr) {
      sink->onStage(device_, kStageSendingFirmware);
      sink->onProgress(device_, path, 1, 0, size, size, 0, 0);
    }
    const bool sent = forEachHexRecord(data, [&](std::string_view record, size_t scanned) {
      if (!running_) {
        // Cancelled: end the upload and bring the display back into its firmware; the record
        // below is then refused.
        sendPacket(*port, buildPacket(modelId(), kAbortUpload));
        uint8_t ignored[6];
        port->readBuffer(ignored, sizeof ignored);
        if (!restartInMode(port, false)) return false;
      }
      if (record.size() > kMaxRecordLength) return false;
      sendPacket(*port, recordPacket(modelId(), kRecord, record));
      if (!readAcknowledgement(*port).positive()) return false;
      if (sink != nullptr) sink->onProgress(device_, path, 1, 0, size, size, scanned, scanned);
      return true;
    });
    if (!sent) return false;
    if (sink != nullptr) sink->onProgress(device_, path, 1, 0, size, size, size, size);
    return command(*port, kEndUpload, {});
  } catch (const QrException&) {
    return false;
  }
}

void QrBrlOsFirmwareUploadStrategy::loadBtFirmware(SerialPort& port, const std::wstring& path,
                                                   FirmwareUploadProgressSink* sink) {
  running_ = true;
  if (port.getPortType() != PortType::UsbHid) {
    throw NoDeviceFoundException(compose(kLoadBtFirmware, kNoHid));
  }
  if (!beginBluetoothUpdate(port)) {
    throw CannotSwitchToEpromException(
        compose(kLoadBtFirmware, L"Cannot initiate Bluetooth firmware update."));
  }
  stage(sink, kStageSendingFirmware);
  if (!sendBluetoothRecords(port, path, sink)) {
    throw ErrorWhileLoadingHexFileException(
        compose(kLoadBtFirmware, L"Cannot upload Bluetooth hex file."));
  }
  if (!finishBluetoothUpdate(port)) {
    throw CannotSwitchToEpromException(
        compose(kLoadBtFirmware, L"Cannot finish Bluetooth firmware update."));
  }
}

bool QrBrlOsFirmwareUploadStrategy::beginBluetoothUpdate(SerialPort& port) {
  return command(port, kBeginBluetooth, {}, kBluetoothAnswerMs);
}

bool QrBrlOsFirmwareUploadStrategy::finishBluetoothUpdate(SerialPort& port) {
  return command(port, kFinishBluetooth, {}, kBluetoothAnswerMs);
}

// Each record travels as its text in a packet of type 0x6B, which the display hands to the
// module and acknowledges once the module took it. A cancel ends the exchange with 0x6D.
bool QrBrlOsFirmwareUploadStrategy::sendBluetoothRecords(SerialPort& port, const std::wstring& path,
                                                         FirmwareUploadProgressSink* sink) {
  try {
    const std::string data = readFirmwareText(path, kLoadBtFirmware);
    const uint64_t size = data.size();
    if (sink != nullptr) sink->onProgress(device_, path, 1, 0, size, size, 0, 0);
    const bool sent = forEachHexRecord(data, [&](std::string_view record, size_t scanned) {
      if (!running_) {
        sendPacket(port, buildPacket(modelId(), kAbortBluetooth));
        return false;
      }
      if (record.size() > kMaxRecordLength) return false;
      sendPacket(port, recordPacket(modelId(), kBluetoothRecord, record));
      if (!readAcknowledgement(port).positive()) return false;
      if (sink != nullptr) sink->onProgress(device_, path, 1, 0, size, size, scanned, scanned);
      return true;
    });
    if (!sent) return false;
    if (sink != nullptr) sink->onProgress(device_, path, 1, 0, size, size, size, size);
    return true;
  } catch (const QrException&) {
    return false;
  }
}

}  // namespace QrCom
