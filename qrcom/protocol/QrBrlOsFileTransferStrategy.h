#pragma once

#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"

namespace QrCom {

// The file system of the current firmware: directories, names of up to 260 characters, 512-byte
// upload blocks with a time-stamped header and 64-bit disk figures. Once cancelled, the object
// stays cancelled: every later transfer or directory operation returns without a word.
class QrBrlOsFileTransferStrategy : public BrailleSystemVersion20010FileTransferStrategy {
 public:
  explicit QrBrlOsFileTransferStrategy(uint8_t modelId);

  // Once cancelled, not even the rate switch around the transfer is sent.
  void receiveFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                   const std::wstring& target, int32_t number, uint8_t attribute,
                   FileTransferSink* sink) override;
  void sendFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                const std::wstring& target, uint64_t expectedSize, FileTransferSink* sink) override;

  void makeDirectory(SerialPort& port, const std::wstring& name) override;
  // Failures all arrive as CannotChangeToDirectoryException; the current directory is then
  // unknown and list paths lose their prefix.
  void changeDirectory(SerialPort& port, const std::wstring& path) override;
  // Changes to `path`, making each missing segment on the way.
  void makePath(SerialPort& port, const std::wstring& path) override;
  uint32_t sendFileList(SerialPort& port, std::vector<DirectoryEntry>& list) override;
  void sendDiskSpace(SerialPort& port, uint64_t& total, uint64_t& free) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<FileTransferStrategy> clone() const override;
  std::string getTargetFileName(const std::wstring& source,
                                const std::wstring& target) const override;

 protected:
  void doReceiveFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                     const std::wstring& target, int32_t number, uint8_t attribute,
                     FileTransferSink* sink) override;
  void doSendFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                  const std::wstring& target, uint64_t expectedSize,
                  FileTransferSink* sink) override;

  // Sends a list command and appends its records, paths prefixed with the current directory.
  uint32_t receiveList(SerialPort& port, uint8_t command, std::wstring_view prefix, size_t reserve,
                       std::vector<DirectoryEntry>& list);

 private:
  std::wstring currentDirectory_;
};

}  // namespace QrCom
