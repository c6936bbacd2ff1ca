#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "qrcom/firmware/FirmwareUploadStrategy.h"

namespace QrCom {

class QuorlinDevice;

// Firmware of the current displays over their USB-HID interface: the main firmware by
// in-application programming (the display restarts into its loader, which re-enumerates under a
// possibly new path), the Bluetooth module through the running firmware, and the Braille
// processor and USB controller, which reprogram themselves from a file on the display.
class QrBrlOsFirmwareUploadStrategy : public FirmwareUploadStrategy {
 public:
  // Records longer than this do not fit the loader's packet buffer.
  static constexpr size_t kMaxRecordLength = 99;
  // The longest a secondary processor may stay silent before the update counts as lost.
  static constexpr uint32_t kSecondarySilenceLimitMs = 300000;
  // The longest a whole reprogramming may take, however busily the processor reports.
  static constexpr uint32_t kSecondaryOverallLimitMs = 1800000;

  explicit QrBrlOsFirmwareUploadStrategy(QuorlinDevice* device);

  void loadFirmware(SerialPort& port, const std::wstring& path,
                    FirmwareUploadProgressSink* sink) override;
  void loadBtFirmware(SerialPort& port, const std::wstring& path,
                      FirmwareUploadProgressSink* sink) override;
  void cancel() override { running_ = false; }
  void executeBrailleFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                    SecondaryFirmwareUploadProgressSink* sink) override;
  void executeUsbFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                SecondaryFirmwareUploadProgressSink* sink) override;
  bool supportsService(int serviceId) const override;
  bool restartSystem(SerialPort& port, bool normalMode) override;
  std::unique_ptr<FirmwareUploadStrategy> clone() const override;

  // kind 0 the Braille processor, 1 the USB controller.
  void updateSecondaryProcessor(SerialPort& port, int kind, const std::wstring& fileName,
                                SecondaryFirmwareUploadProgressSink* sink);

 private:
  // Each takes the port in use and leaves it pointing at the port to go on with: a restart
  // replaces the device's port.
  bool restartInMode(SerialPort*& port, bool iap);
  bool setFlashLock(SerialPort& port, bool locked);
  bool eraseFlash(SerialPort& port);
  // `data` is the whole text of the file at `path`.
  bool uploadHexFile(SerialPort*& port, const std::wstring& path, const std::string& data,
                     FirmwareUploadProgressSink* sink);
  bool beginBluetoothUpdate(SerialPort& port);
  bool sendBluetoothRecords(SerialPort& port, const std::wstring& path,
                            FirmwareUploadProgressSink* sink);
  bool finishBluetoothUpdate(SerialPort& port);

  // Sends a command after a purge and tells whether the display acknowledged it, reading the
  // answer after `waitMs`. Never throws.
  bool command(SerialPort& port, uint8_t type, std::initializer_list<uint8_t> payload,
               uint32_t waitMs = 0);
  uint8_t modelId() const;
  void stage(FirmwareUploadProgressSink* sink, uint32_t stage);

  QuorlinDevice* device_;
  std::atomic<bool> running_{false};
};

}  // namespace QrCom
