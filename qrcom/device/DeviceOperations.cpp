// The device's operations: each forwards to its strategy, most of them through the gateway,
// which opens the port around the outermost operation.
#include <memory>
#include <mutex>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/SecondaryUploadProgressHelper.h"

namespace QrCom {

namespace {
constexpr wchar_t kUpdatePropertiesContext[] = L"QuorlinDevice::updateDeviceProperties -- ";
constexpr wchar_t kBrailleControllerImage[] = L"8051.hex";
constexpr wchar_t kUsbControllerImage[] = L"vnc2.rom";
constexpr int kBrailleProcessor = 0;
constexpr int kUsbController = 1;
constexpr int kRealTimeClockService = 27;
constexpr int kGlintService = 35;
}  // namespace

// The nesting is counted per device: nested operations of the calling thread share the open
// port; another thread that comes while the port is in use is refused.
void QuorlinDevice::enterGateway(std::wstring_view context) {
  const std::thread::id caller = std::this_thread::get_id();
  std::thread::id owner;
  if (!gatewayOwner_.compare_exchange_strong(owner, caller) && owner != caller) {
    throwPortBlocked(context);
  }
  if (nestingCount_ == 0) {
    try {
      // An operation gets the port or an exception: false would mean another operation is
      // waiting for monitor mode's port, which the owner check above rules out.
      acquirePort(context, false);
    } catch (...) {
      gatewayOwner_ = std::thread::id();
      throw;
    }
    try {
      currentPort_->purge();
    } catch (...) {
      resetPortUse();
      throw;
    }
  }
  ++nestingCount_;
}

void QuorlinDevice::leaveGateway() {
  if (nestingCount_ == 0) return;  // an inner operation has given the port up already
  if (--nestingCount_ == 0) {
    releasePort(false);
    gatewayOwner_ = std::thread::id();
  }
}

template <typename Operation>
auto QuorlinDevice::gateway(std::wstring_view context, Operation&& operation)
    -> std::invoke_result_t<Operation, SerialPort&> {
  enterGateway(context);
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Operation, SerialPort&>>) {
      operation(*currentPort_);
      leaveGateway();
    } else {
      auto result = operation(*currentPort_);
      leaveGateway();
      return result;
    }
  } catch (...) {
    // An inner operation that failed has reset the port use already.
    if (gatewayOwner_ == std::this_thread::get_id()) resetPortUse();
    throw;
  }
}

bool QuorlinDevice::isAvailable() {
  return gateway(L"QuorlinDevice::isAvailable", [&](SerialPort& port) {
    return strategies_.maintenance->isMassStorageProtocolActive(port);
  });
}

void QuorlinDevice::block() {
  gateway(L"QuorlinDevice::block",
          [&](SerialPort& port) { strategies_.maintenance->lockMassStorageProtocol(port); });
}

void QuorlinDevice::unblock() {
  gateway(L"QuorlinDevice::unblock",
          [&](SerialPort& port) { strategies_.maintenance->releaseMassStorageProtocol(port); });
}

void QuorlinDevice::receiveFile(const std::wstring& source, const std::wstring& target,
                                int32_t number, uint8_t attribute, FileTransferSink* sink) {
  gateway(L"QuorlinDevice::receiveFile -- ", [&](SerialPort& port) {
    strategies_.fileTransfer->receiveFile(port, this, source, target, number, attribute, sink);
  });
}

void QuorlinDevice::sendFile(const std::wstring& source, const std::wstring& target,
                             uint64_t expectedSize, FileTransferSink* sink) {
  gateway(L"QuorlinDevice::sendFile -- ", [&](SerialPort& port) {
    strategies_.fileTransfer->sendFile(port, this, source, target, expectedSize, sink);
  });
}

uint32_t QuorlinDevice::sendFileList(std::vector<DirectoryEntry>* list) {
  if (list == nullptr) return 0;
  return gateway(L"QuorlinDevice::sendFileList -- ", [&](SerialPort& port) {
    if (supportsDirectories()) changeDirectory(workingDirectory_);
    return strategies_.fileTransfer->sendFileList(port, *list);
  });
}

uint32_t QuorlinDevice::sendFolderList(std::vector<DirectoryEntry>* list) {
  if (list == nullptr) return 0;
  return gateway(L"QuorlinDevice::sendFolderList -- ", [&](SerialPort& port) {
    return strategies_.fileTransfer->sendFolderList(port, *list);
  });
}

void QuorlinDevice::sendDiskSpace(uint64_t& total, uint64_t& free) {
  gateway(L"QuorlinDevice::sendDiskSpace -- ",
          [&](SerialPort& port) { strategies_.fileTransfer->sendDiskSpace(port, total, free); });
}

void QuorlinDevice::deleteFile(const std::wstring& name) {
  gateway(L"QuorlinDevice::deleteFile -- ",
          [&](SerialPort& port) { strategies_.fileTransfer->deleteFile(port, name); });
}

void QuorlinDevice::renameFile(const std::wstring& from, const std::wstring& to) {
  gateway(L"QuorlinDevice::renameFile -- ",
          [&](SerialPort& port) { strategies_.fileTransfer->renameFile(port, from, to); });
}

void QuorlinDevice::changeDirectory(const std::wstring& path) {
  gateway(L"QuorlinDevice::changeDirectory -- ",
          [&](SerialPort& port) { strategies_.fileTransfer->changeDirectory(port, path); });
}

void QuorlinDevice::makePath(const std::wstring& path) {
  gateway(L"QuorlinDevice::makePath -- ",
          [&](SerialPort& port) { strategies_.fileTransfer->makePath(port, path); });
}

void QuorlinDevice::cancelTransfer() {
  // Not under the device lock, which a port opening or closing may hold for seconds: only
  // under the one that guards the swap of the strategies.
  std::lock_guard<std::mutex> guard(strategiesLock_);
  strategies_.firmwareUpload->cancel();
  strategies_.fileTransfer->cancel();
}

void QuorlinDevice::receiveBrailleTable(const uint8_t (&table)[256], const std::wstring& name,
                                        int slot, bool searchBackwards) {
  gateway(L"QuorlinDevice::receiveBrailleTable -- ", [&](SerialPort& port) {
    strategies_.maintenance->receiveBrailleTable(port, table, name, slot, searchBackwards);
  });
}

void QuorlinDevice::getUsedBrailleTables(int& first, int& second) {
  gateway(L"QuorlinDevice::getUsedBrailleTables -- ", [&](SerialPort& port) {
    strategies_.maintenance->getUsedBrailleTables(port, first, second);
  });
}

void QuorlinDevice::activateBrailleTable(uint8_t slot) {
  gateway(L"QuorlinDevice::activateBrailleTable -- ",
          [&](SerialPort& port) { strategies_.maintenance->activateBrailleTable(port, slot); });
}

void QuorlinDevice::getBrailleTablesNames(BrailleTablesNames& names) {
  gateway(L"QuorlinDevice::getBrailleTablesNames -- ",
          [&](SerialPort& port) { strategies_.maintenance->getBrailleTablesNames(port, names); });
}

void QuorlinDevice::deleteFlash() {
  gateway(L"QuorlinDevice::deleteFlash -- ",
          [&](SerialPort& port) { strategies_.maintenance->deleteFlash(port); });
}

void QuorlinDevice::doFactoryReset() {
  gateway(L"QuorlinDevice::doFactoryReset -- ",
          [&](SerialPort& port) { strategies_.maintenance->doFactoryReset(port); });
}

bool QuorlinDevice::restartSystem(bool normalMode) {
  return gateway(L"QuorlinDevice::restartSystem -- ", [&](SerialPort& port) {
    return strategies_.firmwareUpload->restartSystem(port, normalMode);
  });
}

void QuorlinDevice::setBluetoothPin(const std::wstring& pin) {
  gateway(L"QuorlinDevice::setBluetoothPin -- ",
          [&](SerialPort& port) { strategies_.maintenance->setBluetoothPin(port, pin); });
}

void QuorlinDevice::getBluetoothPin(wchar_t* pin, uint32_t capacity) {
  gateway(L"QuorlinDevice::getBluetoothPin -- ",
          [&](SerialPort& port) { strategies_.maintenance->getBluetoothPin(port, pin, capacity); });
}

void QuorlinDevice::requestBatteryInfo(BatteryInfo* info) {
  gateway(L"QuorlinDevice::requestBatteryInfo -- ",
          [&](SerialPort& port) { strategies_.maintenance->requestBatteryInfo(port, info); });
}

void QuorlinDevice::startBatteryTestMode() {
  gateway(L"QuorlinDevice::startBatteryTestMode -- ",
          [&](SerialPort& port) { strategies_.maintenance->startBatteryTestMode(port); });
}

void QuorlinDevice::setRealTimeClock(const DeviceDateTime& time) {
  gateway(L"QuorlinDevice::setRealTimeClock -- ",
          [&](SerialPort& port) { strategies_.maintenance->setRealTimeClock(port, time); });
}

void QuorlinDevice::getRealTimeClock(DeviceDateTime* time) {
  gateway(L"QuorlinDevice::getRealTimeClock -- ",
          [&](SerialPort& port) { strategies_.maintenance->getRealTimeClock(port, time); });
}

void QuorlinDevice::synchronizeDateTimeToPc() {
  if (!isServiceSupported(kRealTimeClockService)) return;
  gateway(L"QuorlinDevice::synchronizeDateTimeToPc -- ", [&](SerialPort&) {
    const CalendarTime now = clock().localTime();
    DeviceDateTime time;
    time.year = now.year;
    time.month = static_cast<uint8_t>(now.month);
    time.day = static_cast<uint8_t>(now.day);
    time.hour = static_cast<uint8_t>(now.hour);
    time.minute = static_cast<uint8_t>(now.minute);
    time.second = static_cast<uint8_t>(now.second);
    setRealTimeClock(time);
  });
}

void QuorlinDevice::startGlint() {
  gateway(L"QuorlinDevice::startGlint -- ",
          [&](SerialPort& port) { strategies_.monitorMode->startGlint(port); });
}

void QuorlinDevice::stopGlint() {
  gateway(L"QuorlinDevice::stopGlint -- ", [&](SerialPort& port) {
    if (isServiceSupported(kGlintService)) strategies_.monitorMode->stopGlint(port);
  });
}

void QuorlinDevice::setSerialNumber(const std::wstring& serialNumber) {
  gateway(L"QuorlinDevice::setSerialNumber -- ",
          [&](SerialPort& port) { strategies_.serialNumber->setSerialNumber(port, serialNumber); });
}

void QuorlinDevice::loadFirmware(const std::wstring& path, FirmwareUploadProgressSink* sink) {
  gateway(L"QuorlinDevice::loadFirmware -- ",
          [&](SerialPort& port) { strategies_.firmwareUpload->loadFirmware(port, path, sink); });
}

void QuorlinDevice::loadBtFirmware(const std::wstring& path, FirmwareUploadProgressSink* sink) {
  gateway(L"QuorlinDevice::loadBtFirmware -- ",
          [&](SerialPort& port) { strategies_.firmwareUpload->loadBtFirmware(port, path, sink); });
}

void QuorlinDevice::loadBrailleFirmware(const std::wstring& source,
                                        SecondaryFirmwareUploadProgressSink* sink) {
  loadSecondaryFirmware(source, sink, L"QuorlinDevice::loadBrailleFirmware -- ",
                        kBrailleControllerImage, kBrailleProcessor);
}

void QuorlinDevice::loadUsbFirmware(const std::wstring& source,
                                    SecondaryFirmwareUploadProgressSink* sink) {
  loadSecondaryFirmware(source, sink, L"QuorlinDevice::loadUsbFirmware -- ", kUsbControllerImage,
                        kUsbController);
}

void QuorlinDevice::loadSecondaryFirmware(const std::wstring& source,
                                          SecondaryFirmwareUploadProgressSink* sink,
                                          const wchar_t* context, const wchar_t* fileName,
                                          int kind) {
  // One 0-100 % scale for the copy and the reprogramming.
  std::unique_ptr<SecondaryUploadProgressHelper> adapter;
  if (sink != nullptr) adapter = std::make_unique<SecondaryUploadProgressHelper>(sink, kind);
  gateway(context, [&](SerialPort& port) {
    strategies_.fileTransfer->receiveFile(port, this, source, fileName, 0, 1, adapter.get());
    try {
      if (kind == kBrailleProcessor) {
        strategies_.firmwareUpload->executeBrailleFirmwareUpdate(port, fileName, adapter.get());
      } else {
        strategies_.firmwareUpload->executeUsbFirmwareUpdate(port, fileName, adapter.get());
      }
    } catch (...) {
      try {
        strategies_.fileTransfer->deleteFile(port, fileName);
      } catch (const QrException&) {
        // The update's failure is the one to report.
      }
      throw;
    }
    strategies_.fileTransfer->deleteFile(port, fileName);
  });
}

void QuorlinDevice::updateDeviceProperties() {
  gateway(kUpdatePropertiesContext, [&](SerialPort& port) {
    const uint16_t version = queryProtocolVersion(port);
    if (version < 1) {
      resetPortUse();
      throw LostConnectionException(
          compose(kUpdatePropertiesContext, L"\n\nCannot get updated protocol version.\n\n"));
    }
    // A version comes from the display's firmware, never from its boot loader.
    waitingInBootLoader_ = false;
    // Built aside first: if a strategy's first read fails, the device keeps the old ones.
    Strategies fresh = selectStrategies(port, version);
    std::lock_guard<NativeMutex> guard(lock_);
    std::lock_guard<std::mutex> swapping(strategiesLock_);
    strategies_ = std::move(fresh);
  });
}

void QuorlinDevice::receiveServiceInformation(ServiceInfo& record) {
  gateway(L"QuorlinDevice::receiveServiceInformation -- ",
          [&](SerialPort& port) { strategies_.serviceInfo->sendServiceInformation(port, record); });
}

void QuorlinDevice::sendServiceInformation(ServiceInfo& record) {
  gateway(L"QuorlinDevice::sendServiceInformation -- ", [&](SerialPort& port) {
    strategies_.serviceInfo->receiveServiceInformation(port, record);
  });
}

void QuorlinDevice::getServiceInformationAndSerialNumber(ServiceInfo& record,
                                                         std::wstring& serialText) {
  gateway(L"QuorlinDevice::getServiceInformationAndSerialNumber -- ", [&](SerialPort& port) {
    try {
      serialText = strategies_.serialNumber->getSerialNumber();
    } catch (const QrException&) {
      serialText.clear();
    }
    strategies_.serviceInfo->receiveServiceInformation(port, record);
  });
}

void QuorlinDevice::getServiceInformationSerialNumberAndFirmwareVersion(ServiceInfo& record,
                                                                        std::wstring& serialText,
                                                                        std::wstring& versionText) {
  gateway(L"QuorlinDevice::getServiceInformationSerialNumberAndFirmwareVersion -- ",
          [&](SerialPort& port) {
            try {
              serialText = strategies_.serialNumber->getSerialNumber();
            } catch (const QrException&) {
              serialText.clear();
            }
            strategies_.serviceInfo->receiveServiceInformation(port, record);
            try {
              versionText = strategies_.firmwareVersion->getFirmwareVersion();
            } catch (const QrException&) {
              versionText.clear();
            }
          });
}

}  // namespace QrCom
