#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qrcom/firmware/FirmwareUploadStrategy.h"
#include "qrcom/firmware/HexFile.h"

namespace QrCom {

// Main firmware of the older displays: the display is switched into its boot loader (EPROM
// mode), its flash is erased, each file of the set goes into the flash bank of its number one
// Intel HEX record at a time, and the display is switched back to the new firmware. Only
// service 11.
class EpromVersion11FirmwareUploadStrategy : public FirmwareUploadStrategy {
 public:
  // `device` is handed to every progress report; the model id and cell count are the device's.
  EpromVersion11FirmwareUploadStrategy(QuorlinDevice* device, uint8_t modelId, int cellCount);
  // A copy for the same device that is not running.
  EpromVersion11FirmwareUploadStrategy(const EpromVersion11FirmwareUploadStrategy& other);
  EpromVersion11FirmwareUploadStrategy& operator=(const EpromVersion11FirmwareUploadStrategy&) =
      delete;

  // A cancelled upload returns normally after telling the display with 0xFF; the firmware on
  // the display is then incomplete.
  void loadFirmware(SerialPort& port, const std::wstring& path,
                    FirmwareUploadProgressSink* sink) override;
  void loadBtFirmware(SerialPort& port, const std::wstring& path,
                      FirmwareUploadProgressSink* sink) override;
  void cancel() override { running_ = false; }
  // The display waits in its boot loader after an upload that did not finish: uploads neither
  // look for it nor switch it over (models 0x36 and 0x38 still get their second switch-over,
  // which erases) until one has switched it back to its firmware.
  void startInBootLoader() { inBootLoader_ = true; }
  void executeBrailleFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                    SecondaryFirmwareUploadProgressSink* sink) override;
  void executeUsbFirmwareUpdate(SerialPort& port, const std::wstring& fileName,
                                SecondaryFirmwareUploadProgressSink* sink) override;
  bool supportsService(int serviceId) const override { return serviceId == 11; }
  bool restartSystem(SerialPort& port, bool normalMode) override;
  std::unique_ptr<FirmwareUploadStrategy> clone() const override;

 private:
  // Models 0x36 and 0x38 need a second switch-over, have one bank and are erased by it.
  bool isRvnFamily() const { return modelId_ == 0x36 || modelId_ == 0x38; }
  void report(FirmwareUploadProgressSink* sink, uint32_t stage) const;

  void switchToEpromMode(SerialPort& port, FirmwareUploadProgressSink* sink);
  void switchRvnToEpromMode(SerialPort& port);
  void showUploadMessage(SerialPort& port);
  int countFlashBanks(SerialPort& port, FirmwareUploadProgressSink* sink);
  bool setAddressBit(SerialPort& port, int bit, int value);
  void switchToFlashBank(SerialPort& port, uint32_t bank, int banks);
  void deleteFlashMemory(SerialPort& port, int banks, FirmwareUploadProgressSink* sink);
  void sendFirmwareFiles(SerialPort& port, const std::vector<HexFile>& files, int banks,
                         FirmwareUploadProgressSink* sink);
  void sendRecord(SerialPort& port, const HexFile& file, const HexRecord& record, bool last);
  void switchToFlashMode(SerialPort& port, FirmwareUploadProgressSink* sink);

  QuorlinDevice* device_;
  uint8_t modelId_;
  int cellCount_;
  std::atomic<bool> running_{false};
  std::atomic<bool> inBootLoader_{false};
};

}  // namespace QrCom
