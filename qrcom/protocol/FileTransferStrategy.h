#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qrcom/firmware/ProgressSinks.h"
#include "qrcom/port/SerialPort.h"

namespace QrCom {

class DirectoryEntry;
class QuorlinDevice;

// The device's file system. Names are seen from the device: receiveFile uploads a file to the
// device, sendFile downloads one. Service ids 4-10, 15, 17, 18, 20, 31-33.
class FileTransferStrategy {
 public:
  virtual ~FileTransferStrategy() = default;

  // `number` is ignored except by the pocket reader (its Braille-table number); the
  // attribute byte is ignored by the pocket reader.
  virtual void receiveFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                           const std::wstring& target, int32_t number, uint8_t attribute,
                           FileTransferSink* sink) = 0;
  virtual void sendFile(SerialPort& port, QuorlinDevice* device, const std::wstring& source,
                        const std::wstring& target, uint64_t expectedSize,
                        FileTransferSink* sink) = 0;
  virtual void makeDirectory(SerialPort& port, const std::wstring& name) = 0;
  virtual void changeDirectory(SerialPort& port, const std::wstring& path) = 0;
  virtual void makePath(SerialPort& port, const std::wstring& path) = 0;
  // Append to `list`; return the number of entries now in it.
  virtual uint32_t sendFileList(SerialPort& port, std::vector<DirectoryEntry>& list) = 0;
  virtual uint32_t sendFolderList(SerialPort& port, std::vector<DirectoryEntry>& list) = 0;
  virtual void sendDiskSpace(SerialPort& port, uint64_t& total, uint64_t& free) = 0;
  virtual void deleteFile(SerialPort& port, const std::wstring& name) = 0;
  virtual void renameFile(SerialPort& port, const std::wstring& from, const std::wstring& to) = 0;
  virtual bool usesPocketReaderProtocol() const = 0;
  // Asks a running transfer to stop at its next block; called from another thread.
  virtual void cancel() = 0;
  virtual bool checkMassStorageProtocolActive(SerialPort& port) = 0;
  virtual void lockMassStorageProtocol(SerialPort& port) = 0;
  virtual void releaseMassStorageProtocol(SerialPort& port) = 0;
  virtual bool supportsService(int serviceId) const = 0;
  virtual std::unique_ptr<FileTransferStrategy> clone() const = 0;
};

class NoFileTransferStrategy : public FileTransferStrategy {
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
  void cancel() override {}
  bool checkMassStorageProtocolActive(SerialPort& port) override;
  void lockMassStorageProtocol(SerialPort& port) override;
  void releaseMassStorageProtocol(SerialPort& port) override;
  bool supportsService(int) const override { return false; }
  std::unique_ptr<FileTransferStrategy> clone() const override;
};

}  // namespace QrCom
