#pragma once

#include <atomic>

#include "qrcom/protocol/FileTransferStrategy.h"

namespace QrCom {

// The pocket reader stores documents it receives in 512-byte blocks; it has no file system
// the PC could list or change. Service ids 4 and 17.
class PagelingFileTransferStrategy : public FileTransferStrategy {
 public:
  // Uploads the document `source` under the first 8 bytes of `target` (or, when `target` is
  // empty, of `source`). `number` is the document's Braille table (0 to 9); `attribute` is
  // ignored.
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
  bool usesPocketReaderProtocol() const override { return true; }
  void cancel() override { running_ = false; }
  bool checkMassStorageProtocolActive(SerialPort& port) override;
  void lockMassStorageProtocol(SerialPort& port) override;
  void releaseMassStorageProtocol(SerialPort& port) override;
  bool supportsService(int serviceId) const override;
  std::unique_ptr<FileTransferStrategy> clone() const override;

 private:
  std::atomic<bool> running_{false};
};

}  // namespace QrCom
