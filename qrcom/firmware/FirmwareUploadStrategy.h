#pragma once

#include <memory>
#include <string>

#include "qrcom/firmware/ProgressSinks.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

// Firmware upload of one device: main firmware, Bluetooth module, secondary processors.
// Service ids: 11 main firmware, 29 Braille processor, 30 USB controller, 38 Bluetooth module.
class FirmwareUploadStrategy {
 public:
  virtual ~FirmwareUploadStrategy() = default;

  virtual void loadFirmware(SerialPort& port, const std::wstring& path,
                            FirmwareUploadProgressSink* sink) = 0;
  virtual void loadBtFirmware(SerialPort& port, const std::wstring& path,
                              FirmwareUploadProgressSink* sink) = 0;
  // Asks a running load to stop at its next check; called from another thread.
  virtual void cancel() = 0;
  virtual void executeBrailleFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                            SecondaryFirmwareUploadProgressSink* sink) = 0;
  virtual void executeUsbFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                        SecondaryFirmwareUploadProgressSink* sink) = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual bool restartSystem(SerialPort& port, bool normalMode) = 0;
  virtual std::unique_ptr<FirmwareUploadStrategy> clone() const = 0;
};

class NoFirmwareUploadStrategy : public FirmwareUploadStrategy {
 public:
  void loadFirmware(SerialPort& port, const std::wstring& path,
                    FirmwareUploadProgressSink* sink) override;
  void loadBtFirmware(SerialPort& port, const std::wstring& path,
                      FirmwareUploadProgressSink* sink) override;
  void cancel() override {}
  void executeBrailleFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                    SecondaryFirmwareUploadProgressSink* sink) override;
  void executeUsbFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                SecondaryFirmwareUploadProgressSink* sink) override;
  bool supportsService(int) const override { return false; }
  bool restartSystem(SerialPort& port, bool normalMode) override;
  std::unique_ptr<FirmwareUploadStrategy> clone() const override;
};

}  // namespace QrCom
