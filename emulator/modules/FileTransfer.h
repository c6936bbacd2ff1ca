#pragma once

#include <cstdint>
#include <string>

#include "emulator/Module.h"
#include "emulator/modules/DeviceFileSystem.h"

namespace QrEmu {

// The legacy line: a flat file list, 64-character names, 4-byte sizes and disk figures, no time
// in the upload header. The current firmware: directories, 260-character names, 8-byte sizes
// and disk figures, a time stamp in the upload header.
enum class Generation { Legacy, Current };

// Faults of the file system. Set them under the display's lock.
struct FileTransferFaults {
  // The nakAt-th confirmation from now (1: the next one) is NAK nakCode; 0: none.
  uint32_t nakAt = 0;
  uint8_t nakCode = 0;
  // The display is unplugged after this many data blocks of a transfer; 0: never.
  uint32_t unplugAfterBlocks = 0;
};

// The device side of both file-transfer protocols, on a file store of its own: uploads,
// downloads, file and folder lists, disk space, delete, rename and (current firmware) making
// and changing directories. Claims its command bytes in normal mode.
class FileTransfer : public Module {
 public:
  static constexpr uint64_t kDefaultCapacity = 8u << 20;

  explicit FileTransfer(Generation generation, uint64_t capacity = kDefaultCapacity);

  bool onByte(Display& display, uint8_t byte) override;
  void onReset(Display& display) override;

  // Under the display's lock.
  DeviceFileSystem& files() { return files_; }
  FileTransferFaults& faults() { return faults_; }
  // Data bytes in each block the display sends (80 legacy, 512 current by default).
  void setSendBlock(uint32_t bytes) { sendBlock_ = bytes; }

 private:
  // Sends ACK and `what`, or the NAK or wrong echo a fault asks for; false ends the dialogue.
  bool confirm(Display& display, uint8_t what);
  void nak(Display& display, uint8_t code);
  // Waits for the host's ACK and `what`; any other byte ends the transfer and starts a new
  // exchange (the host gave up, or refused with a NAK).
  void awaitAck(Display& display, uint8_t what, std::function<void()> then);
  void countBlock(Display& display);

  void beginUpload(Display& display);
  void onHeader(Display& display, const Frame& frame);
  void awaitUploadCommand(Display& display);
  void onUploadBlock(Display& display, const Frame& frame);

  // A name frame of `command`: the name followed by the command byte.
  void expectName(Display& display, uint8_t command, std::function<void(const std::string&)> then);
  void beginDownload(Display& display, const std::string& name);
  void beginList(Display& display, bool folders);
  void sendBlocks(Display& display, Bytes data);
  void nextBlock(Display& display);
  void sendDiskSpace(Display& display);
  void renameTo(Display& display, const std::string& from);

  Generation generation_;
  DeviceFileSystem files_;
  FileTransferFaults faults_;
  uint32_t sendBlock_;

  // The upload in progress.
  std::string uploadName_;
  DeviceFile upload_;
  // The download or list in progress.
  Bytes outgoing_;
  size_t sent_ = 0;
  uint32_t transferBlocks_ = 0;
};

}  // namespace QrEmu
