#pragma once

#include <atomic>
#include <string>

#include "qrcom/protocol/FileTransferStrategy.h"

namespace QrCom {

// The device file system of the oldest legacy firmware: a flat list of files, uploads of 78-byte
// blocks, downloads, the file list and the disk space.
class BrailleSystemVersion2000FileTransferStrategy : public FileTransferStrategy {
 public:
  void receiveFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                   const std::wstring& target, int32_t number, uint8_t attribute,
                   FileTransferSink* sink) override;
  void sendFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                const std::wstring& target, uint64_t expectedSize, FileTransferSink* sink) override;
  void makeDirectory(SerialPort& port, const std::wstring& name) override;
  void changeDirectory(SerialPort& port, const std::wstring& path) override;
  void makePath(SerialPort& port, const std::wstring& path) override;
  uint32_t sendFileList(SerialPort& port, std::vector<DirectoryEntry>& list) override;
  uint32_t sendFolderList(SerialPort& port, std::vector<DirectoryEntry>& list) override;
  void sendDiskSpace(SerialPort& port, uint64_t& total, uint64_t& free) override;
  void deleteFile(SerialPort& port, const std::wstring& name) override;
  void renameFile(SerialPort& port, const std::wstring& from, const std::wstring& to) override;
  bool usesPocketReaderProtocol() const override { return false; }
  void cancel() override { running_ = false; }
  bool checkMassStorageProtocolActive(SerialPort& port) override;
  void lockMassStorageProtocol(SerialPort& port) override;
  void releaseMassStorageProtocol(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<FileTransferStrategy> clone() const override;

  // The ANSI device name `target` is stored under (see prepareTargetName).
  virtual std::string getTargetFileName(const std::wstring& source,
                                        const std::wstring& target) const;

 protected:
  // Cleared by cancel from another thread; the transfers test it at block boundaries.
  std::atomic<bool> running_{false};
};

}  // namespace QrCom
