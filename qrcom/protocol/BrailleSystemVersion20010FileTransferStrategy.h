#pragma once

#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"

namespace QrCom {

// The 2005 protocol with every upload and download at 115200 baud where the port can switch
// its rate (USB-HID), back at 19200 afterwards.
class BrailleSystemVersion20010FileTransferStrategy
    : public BrailleSystemVersion2005FileTransferStrategy {
 public:
  // The device's model id goes into the rate-switch request; it never changes for a device.
  explicit BrailleSystemVersion20010FileTransferStrategy(uint8_t modelId) : modelId_(modelId) {}

  void receiveFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                   const std::wstring& target, int32_t number, uint8_t attribute,
                   FileTransferSink* sink) override;
  void sendFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                const std::wstring& target, uint64_t expectedSize, FileTransferSink* sink) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<FileTransferStrategy> clone() const override;

  // Asks the device to switch to `baud` (19200, 57600 or 115200) and follows it. Never fails:
  // without the device's consent the rate stays; when the device is not heard at the new rate
  // the port goes back to 19200 and waits 2 s for the device to do the same.
  void setTransferBaudRate(SerialPort& port, uint32_t baud, uint8_t modelId);

 protected:
  // The transfers the rate switch wraps.
  virtual void doReceiveFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                             const std::wstring& target, int32_t number, uint8_t attribute,
                             FileTransferSink* sink);
  virtual void doSendFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                          const std::wstring& target, uint64_t expectedSize,
                          FileTransferSink* sink);

  uint8_t modelId() const { return modelId_; }

 private:
  uint8_t modelId_;
};

}  // namespace QrCom
