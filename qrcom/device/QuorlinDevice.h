#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "qrcom/base/NativeSync.h"
#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareVersionRequestStrategy.h"
#include "qrcom/firmware/IsBluetoothVersionRequestStrategy.h"
#include "qrcom/firmware/ProgressSinks.h"
#include "qrcom/firmware/SerialNumberRequestStrategy.h"
#include "qrcom/firmware/ServiceInfoMaintenanceStrategy.h"
#include "qrcom/port/SerialPort.h"
#include "qrcom/protocol/DeviceMaintenanceStrategy.h"
#include "qrcom/protocol/FileTransferStrategy.h"
#include "qrcom/protocol/MaintenanceRecords.h"
#include "qrcom/protocol/MonitorModeStrategy.h"

namespace QrTest {
class DeviceInspector;
}

namespace QrCom {

class BrailleTablesNames;
class DirectoryEntry;
class ServiceInfo;

// Supplies the name of the pocket reader (model 144), which the model table does not hold.
class ModelNameSource {
 public:
  virtual std::wstring pocketReaderName() const = 0;

 protected:
  ~ModelNameSource() = default;
};

// One attached display, reached over a COM port (number > 0) or its USB-HID interface
// (number 0). It learns the model id and the protocol version when it is made, holds one
// strategy per protocol family, and opens its port only while an operation runs (or while
// monitor mode runs). Operations are meant for one calling thread at a time; cancelTransfer and
// the monitor-mode queries may come from another.
class QuorlinDevice {
 public:
  // Identify the display; throw NoDeviceFoundException (empty message) when none answers,
  // WaitingInBootLoaderException when a COM port answers the wake byte with 0xFE alone, and
  // pass on the port's exceptions. A failed construction leaves nothing behind.
  explicit QuorlinDevice(int comPortNumber);
  explicit QuorlinDevice(const std::wstring& hidDevicePath);
  // A device for the same display with no port open; the firmware-upload strategy is made
  // anew so that it refers to the copy.
  QuorlinDevice(const QuorlinDevice& other);
  QuorlinDevice& operator=(const QuorlinDevice&) = delete;
  // Ends monitor mode and waits for the monitor thread; closes a port that is still open.
  virtual ~QuorlinDevice();

  // An older display of model `modelId` on COM port `comPortNumber` that waits in its boot loader
  // after an upload that did not finish, found by WaitingInBootLoaderException. It is not
  // identified: its strategies are those of protocol version 0 (the serial number comes through
  // INFO mode), and its firmware upload begins in the boot loader until updateDeviceProperties
  // finds the display running again. The port's exceptions pass on.
  static std::unique_ptr<QuorlinDevice> waitingInBootLoader(int comPortNumber, uint8_t modelId);
  bool isWaitingInBootLoader() const { return waitingInBootLoader_; }

  virtual std::unique_ptr<QuorlinDevice> clone() const;
  // 0 is always supported.
  virtual bool isServiceSupported(int serviceId) const;
  virtual bool supportsDirectories() const;
  // `nameSource` names the pocket reader; it may be null ("" then).
  virtual std::wstring getModelName(const ModelNameSource* nameSource) const;
  virtual int getCellCount() const;
  virtual int getPortNumber() const;
  virtual uint8_t getModelId() const;
  virtual bool isFundoFamily() const;

  // Mass-storage lock of the device.
  virtual bool isAvailable();
  virtual void block();
  virtual void unblock();
  // An ordinary operation holds the port, or waits for monitor mode to give it up.
  virtual bool isPortInUse();

  // File system (names seen from the device: receiveFile uploads to it).
  virtual void receiveFile(const std::wstring& source, const std::wstring& target, int32_t number,
                           uint8_t attribute, FileTransferSink* sink);
  virtual void sendFile(const std::wstring& source, const std::wstring& target,
                        uint64_t expectedSize, FileTransferSink* sink);
  // A null list returns 0 without touching the port.
  virtual uint32_t sendFileList(std::vector<DirectoryEntry>* list);
  virtual uint32_t sendFolderList(std::vector<DirectoryEntry>* list);
  virtual void sendDiskSpace(uint64_t& total, uint64_t& free);
  virtual void deleteFile(const std::wstring& name);
  virtual void renameFile(const std::wstring& from, const std::wstring& to);
  virtual bool usesPocketReaderProtocol() const;
  // Asks a running firmware upload and file transfer to stop; safe from another thread.
  virtual void cancelTransfer();

  // Monitor mode runs on the device's own thread and pauses for every ordinary operation.
  virtual void startMonitorMode(MonitorSink* sink);
  virtual int stopMonitorMode();
  virtual void endMonitorMode();
  virtual bool isMonitorModeRequested() const;
  virtual bool isMonitorModeIdle() const;

  virtual std::wstring getFirmwareVersion() const;
  // The version up to the first "_" ("3.12" of "3.12_normal_mode"); empty when the text is.
  // The text is cut in place: getFirmwareVersion answers the prefix from then on.
  virtual std::wstring getFirmwareVersionPrefix() const;
  virtual bool isBluetoothVersion() const;

  // Braille tables and maintenance.
  virtual void receiveBrailleTable(const uint8_t (&table)[256], const std::wstring& name, int slot,
                                   bool searchBackwards);
  virtual bool usesLegacyTableSlots() const;
  virtual void getUsedBrailleTables(int& first, int& second);
  virtual void activateBrailleTable(uint8_t slot);
  virtual void getBrailleTablesNames(BrailleTablesNames& names);
  virtual void deleteFlash();
  virtual void doFactoryReset();
  virtual bool restartSystem(bool normalMode);
  virtual void setBluetoothPin(const std::wstring& pin);
  virtual void getBluetoothPin(wchar_t* pin, uint32_t capacity);
  virtual void requestBatteryInfo(BatteryInfo* info);
  virtual void startBatteryTestMode();
  virtual void setRealTimeClock(const DeviceDateTime& time);
  virtual void getRealTimeClock(DeviceDateTime* time);
  // Sets the device's clock to the local time when the device has one (service 27).
  virtual void synchronizeDateTimeToPc();
  virtual void startGlint();
  virtual void stopGlint();

  // Identity.
  virtual std::wstring getSerialNumber() const;
  virtual void setSerialNumber(const std::wstring& serialNumber);
  virtual bool hasValidSerialNumber() const;
  virtual bool hasDefaultSerialNumber() const;
  virtual int getDeliveryYear() const;

  // Firmware.
  virtual void loadFirmware(const std::wstring& path, FirmwareUploadProgressSink* sink);
  virtual void loadBtFirmware(const std::wstring& path, FirmwareUploadProgressSink* sink);
  // Copy the image to the display as "8051.hex" / "vnc2.rom", let the display reprogram the
  // processor from it, delete it again (also after a failure).
  virtual void loadBrailleFirmware(const std::wstring& source,
                                   SecondaryFirmwareUploadProgressSink* sink);
  virtual void loadUsbFirmware(const std::wstring& source,
                               SecondaryFirmwareUploadProgressSink* sink);
  // Re-learns the protocol version and rebuilds every strategy.
  virtual void updateDeviceProperties();

  // Service information: receive sends the record to the display, send reads it from there.
  virtual void receiveServiceInformation(ServiceInfo& record);
  virtual void sendServiceInformation(ServiceInfo& record);
  // The serial number (and version) texts are empty when the device cannot tell them.
  virtual void getServiceInformationAndSerialNumber(ServiceInfo& record, std::wstring& serialText);
  virtual void getServiceInformationSerialNumberAndFirmwareVersion(ServiceInfo& record,
                                                                   std::wstring& serialText,
                                                                   std::wstring& versionText);

  virtual bool isUsbHid() const;
  // The USB-HID path the device reaches the display by; empty for a COM port.
  std::wstring hidDevicePath() const;

  void changeDirectory(const std::wstring& path);
  void makePath(const std::wstring& path);

  // For the USB firmware upload after the display has come back under a new path: replaces the
  // open port by one on `path` and remembers the path.
  SerialPort& reopenHidPort(const std::wstring& path);
  // Read by the monitor strategies: monitor mode is being ended for good.
  bool isStopMonitorRequested() const { return stopMonitorRequest_; }

  // The identification exchange: the model id, 0 when no display answers. A failing write
  // propagates. `awakeAlone` tells that 0xFE came without a model id.
  static uint8_t identifyModel(SerialPort& port);
  static uint8_t identifyModel(SerialPort& port, bool& awakeAlone);
  // The protocol-version exchange: 0 when it does not complete.
  static uint16_t queryProtocolVersion(SerialPort& port);

 protected:
  // Port hand-over between ordinary operations and the monitor thread.
  bool acquirePort(std::wstring_view context, bool forMonitor);
  void releasePort(bool forMonitor);
  // Closes the port (unless monitor mode waits for it) and forgets the nesting.
  void resetPortUse();

 private:
  friend class QrTest::DeviceInspector;

  struct Strategies {
    std::unique_ptr<ServiceInfoMaintenanceStrategy> serviceInfo;
    std::unique_ptr<SerialNumberRequestStrategy> serialNumber;
    std::unique_ptr<FirmwareUploadStrategy> firmwareUpload;
    std::unique_ptr<FileTransferStrategy> fileTransfer;
    std::unique_ptr<DeviceMaintenanceStrategy> maintenance;
    std::unique_ptr<MonitorModeStrategy> monitorMode;
    std::unique_ptr<FirmwareVersionRequestStrategy> firmwareVersion;
    std::unique_ptr<IsBluetoothVersionRequestStrategy> bluetoothVariant;
  };

  // One run of the monitor thread; `finished` is its last act, so it can be joined at once.
  struct MonitorRun {
    std::thread thread;
    std::atomic<bool> finished{false};
  };

  enum PortState : uint32_t {
    kPortClosed = 0,
    kPortOpen = 1,
    kWaitingForMonitor = 2,
    kHoldingMonitorPort = 3,
    kMonitorMayResume = 4,
    kMonitorOwnsPort = 5,
  };

  struct InBootLoader {};
  QuorlinDevice(int comPortNumber, uint8_t modelId, InBootLoader);

  void identify(std::unique_ptr<SerialPort> port);
  std::unique_ptr<SerialPort> openPort() const;

  // The strategies for this model and `version`; the identity strategies read their values on
  // `port` at once.
  Strategies selectStrategies(SerialPort& port, uint16_t version);
  std::unique_ptr<ServiceInfoMaintenanceStrategy> selectServiceInfoStrategy(uint16_t version) const;
  std::unique_ptr<SerialNumberRequestStrategy> selectSerialNumberStrategy(SerialPort& port,
                                                                          uint16_t version) const;
  // Firmware upload and monitor mode do not depend on the protocol version.
  std::unique_ptr<FirmwareUploadStrategy> selectFirmwareUploadStrategy();
  std::unique_ptr<FileTransferStrategy> selectFileTransferStrategy(uint16_t version) const;
  std::unique_ptr<DeviceMaintenanceStrategy> selectMaintenanceStrategy(uint16_t version) const;
  std::unique_ptr<MonitorModeStrategy> selectMonitorModeStrategy() const;
  std::unique_ptr<FirmwareVersionRequestStrategy> selectFirmwareVersionStrategy(
      SerialPort& port, uint16_t version) const;
  std::unique_ptr<IsBluetoothVersionRequestStrategy> selectBluetoothVariantStrategy(
      SerialPort& port, uint16_t version) const;

  // Runs `operation` with the open port: the outermost operation opens and purges the port and
  // closes it at the end; any failure closes it and passes on unchanged.
  template <typename Operation>
  auto gateway(std::wstring_view context, Operation&& operation)
      -> std::invoke_result_t<Operation, SerialPort&>;
  void enterGateway(std::wstring_view context);
  void leaveGateway();

  void loadSecondaryFirmware(const std::wstring& source, SecondaryFirmwareUploadProgressSink* sink,
                             const wchar_t* context, const wchar_t* fileName, int kind);

  [[noreturn]] static void throwPortBlocked(std::wstring_view context);
  void waitForMonitorHandOver();
  void startMonitorThread();
  void startMonitorModeThreadFunction(std::atomic<bool>& finished);
  void joinFinishedMonitorThreads();
  void endMonitorThreads();

  // Replaced only under strategiesLock_ (updateDeviceProperties), which cancelTransfer takes to
  // reach them from another thread; otherwise used by the gateway's owner or the monitor thread.
  Strategies strategies_;
  std::unique_ptr<SerialPort> currentPort_;  // guarded by lock_
  uint32_t portState_ = kPortClosed;         // guarded by lock_
  // Set at construction; the HID path changes only in reopenHidPort, under lock_, by the
  // gateway's owner.
  int comPortNumber_ = 0;
  uint8_t modelId_ = 0;
  std::wstring hidDevicePath_;
  // Until updateDeviceProperties finds the display running.
  std::atomic<bool> waitingInBootLoader_{false};
  std::atomic<bool> stopMonitorRequest_{false};
  std::atomic<MonitorSink*> monitorSink_{nullptr};
  // Recursive: guards the port hand-over (currentPort_, portState_) and monitorThreads_.
  mutable NativeMutex lock_;
  // Never held across I/O.
  std::mutex strategiesLock_;
  NativeEvent portFree_;
  NativeEvent monitorThreadEnded_;
  std::wstring workingDirectory_;  // the gateway's owner only
  std::atomic<int> nestingCount_{0};
  std::atomic<std::thread::id> gatewayOwner_{};
  std::atomic<bool> monitorThreadRunning_{false};
  // Guarded by lock_; the destructor walks it without, once no sink can start another thread.
  std::list<MonitorRun> monitorThreads_;
};

}  // namespace QrCom
