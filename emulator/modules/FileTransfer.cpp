#include "emulator/modules/FileTransfer.h"

#include <algorithm>

#include "emulator/Display.h"
#include "qrcom/base/Clock.h"

namespace QrEmu {

namespace {

// A Braille table is a file whose attribute holds this bit and the number of its slot.
constexpr uint8_t kBrailleTable = 0x80;

// A slot holds one table: the one stored there before gives way to a new one.
void dropBrailleTable(DeviceFileSystem& files, int slot) {
  std::vector<std::string> earlier;
  for (const auto& [key, file] : files.everyFile()) {
    if ((file.attribute & kBrailleTable) != 0 && (file.attribute & 0x0F) == slot) {
      earlier.push_back(key);
    }
  }
  for (const std::string& key : earlier) files.remove(key);
}

constexpr uint8_t kReceiveDataBlock = 0x03;
constexpr uint8_t kEndOfFile = 0x04;
constexpr uint8_t kAttributeFlag = 0x05;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kStartOfData = 0x0F;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSync = 0x16;
constexpr uint8_t kBeginOfFile = 0x1C;
constexpr uint8_t kGetFileList = 0x20;
constexpr uint8_t kGetFile = 0x21;
constexpr uint8_t kRenameFile = 0x22;
constexpr uint8_t kDeleteFile = 0x23;
constexpr uint8_t kGetDiskSpace = 0x25;
constexpr uint8_t kMakeDirectory = 0x26;
constexpr uint8_t kChangeDirectory = 0x27;
constexpr uint8_t kGetFolderList = 0x28;
constexpr uint8_t kCancelUpload = 0x43;

// The device's error codes this emulation gives.
constexpr uint8_t kMissingBeginOfFile = 2;
constexpr uint8_t kMissingAttributeFlag = 4;
constexpr uint8_t kMissingStartOfData = 5;
constexpr uint8_t kMissingGetFile = 6;
constexpr uint8_t kMissingDeleteFile = 7;
constexpr uint8_t kMissingRenameFile = 8;
constexpr uint8_t kCannotOpenTempFile = 9;
constexpr uint8_t kCannotWrite = 14;
constexpr uint8_t kPageFrameError = 18;
constexpr uint8_t kAlreadyExists = 19;
constexpr uint8_t kNotFound = 24;
constexpr uint8_t kInvalidFolder = 29;

FileStamp now() {
  const QrCom::CalendarTime time = QrCom::clock().localTime();
  return {time.year,
          static_cast<uint8_t>(time.month),
          static_cast<uint8_t>(time.day),
          static_cast<uint8_t>(time.hour),
          static_cast<uint8_t>(time.minute),
          static_cast<uint8_t>(time.second)};
}

void appendBigEndian(Bytes& bytes, uint64_t value, size_t count) {
  for (size_t i = count; i-- > 0;) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

FileTransfer::FileTransfer(Generation generation, uint64_t capacity)
    : generation_(generation),
      files_(generation == Generation::Current, capacity),
      sendBlock_(generation == Generation::Current ? 512 : 80) {}

bool FileTransfer::onByte(Display& display, uint8_t byte) {
  if (display.mode() != Mode::Normal) return false;
  const bool current = generation_ == Generation::Current;
  switch (byte) {
    case kReceiveDataBlock:
      beginUpload(display);
      return true;
    case kGetFile:
      if (confirm(display, kGetFile)) {
        expectName(display, kGetFile,
                   [this, &display](const std::string& name) { beginDownload(display, name); });
      }
      return true;
    case kGetFileList:
      beginList(display, false);
      return true;
    case kGetFolderList:
      if (!current) return false;
      beginList(display, true);
      return true;
    case kGetDiskSpace:
      sendDiskSpace(display);
      return true;
    case kDeleteFile:
      if (confirm(display, kDeleteFile)) {
        expectName(display, kDeleteFile, [this, &display](const std::string& name) {
          if (!files_.remove(name)) return nak(display, kNotFound);
          confirm(display, kSync);
        });
      }
      return true;
    case kRenameFile:
      if (confirm(display, kRenameFile)) {
        expectName(display, kRenameFile,
                   [this, &display](const std::string& from) { renameTo(display, from); });
      }
      return true;
    case kMakeDirectory:
      if (!current) return false;
      if (confirm(display, kMakeDirectory)) {
        expectName(display, kMakeDirectory, [this, &display](const std::string& name) {
          if (files_.makeFolder(name)) return void(confirm(display, kSync));
          nak(display, files_.isFolder(name) ? kAlreadyExists : kInvalidFolder);
        });
      }
      return true;
    case kChangeDirectory:
      if (!current) return false;
      if (confirm(display, kChangeDirectory)) {
        expectName(display, kChangeDirectory, [this, &display](const std::string& name) {
          if (!files_.changeFolder(name)) return nak(display, kInvalidFolder);
          confirm(display, kSync);
        });
      }
      return true;
    default:
      return false;
  }
}

void FileTransfer::onReset(Display&) {
  uploadName_.clear();
  upload_ = {};
  outgoing_.clear();
}

bool FileTransfer::confirm(Display& display, uint8_t what) {
  if (faults_.nakAt > 0 && --faults_.nakAt == 0) {
    nak(display, faults_.nakCode);
    return false;
  }
  display.send({kAck, what});
  return true;
}

void FileTransfer::nak(Display& display, uint8_t code) {
  display.send({kNak, code});
}

void FileTransfer::awaitAck(Display& display, uint8_t what, std::function<void()> then) {
  display.expectOneByte([this, &display, what, then](uint8_t first) {
    if (first != kAck) {
      onReset(display);
      return display.startExchange(first);
    }
    display.expectOneByte([this, &display, what, then](uint8_t second) {
      if (second != what) {
        onReset(display);
        return display.startExchange(second);
      }
      then();
    });
  });
}

void FileTransfer::countBlock(Display& display) {
  if (faults_.unplugAfterBlocks > 0 && ++transferBlocks_ == faults_.unplugAfterBlocks) {
    faults_.unplugAfterBlocks = 0;
    display.unplug();
  }
}

void FileTransfer::beginUpload(Display& display) {
  transferBlocks_ = 0;
  if (!confirm(display, kReceiveDataBlock)) return;
  display.expectFrame([this, &display](const Frame& frame) { onHeader(display, frame); });
}

void FileTransfer::onHeader(Display& display, const Frame& frame) {
  if (!frame.wellFormed()) return nak(display, kPageFrameError);
  const Bytes& body = frame.body;
  // BEGIN_OF_FILE, name, attribute flag, [7 time bytes,] attribute, start of data.
  const size_t tail = generation_ == Generation::Current ? 10 : 3;
  if (body.empty() || body[0] != kBeginOfFile) return nak(display, kMissingBeginOfFile);
  if (body.size() < 1 + tail) return nak(display, kMissingAttributeFlag);
  const size_t flag = body.size() - tail;
  if (body[flag] != kAttributeFlag) return nak(display, kMissingAttributeFlag);
  if (body.back() != kStartOfData) return nak(display, kMissingStartOfData);

  uploadName_.assign(body.begin() + 1, body.begin() + static_cast<std::ptrdiff_t>(flag));
  upload_ = {};
  upload_.attribute = body[body.size() - 2];
  if (generation_ == Generation::Current) {
    const uint8_t* time = &body[flag + 1];
    upload_.stamp = {
        static_cast<uint16_t>(time[0] << 8 | time[1]), time[2], time[3], time[4], time[5], time[6]};
  } else {
    upload_.stamp = now();
  }
  if (!files_.canStore(uploadName_)) return nak(display, kCannotOpenTempFile);
  if (confirm(display, kSync)) awaitUploadCommand(display);
}

void FileTransfer::awaitUploadCommand(Display& display) {
  display.expectOneByte([this, &display](uint8_t command) {
    if (command == kReceiveDataBlock) {
      if (!confirm(display, kReceiveDataBlock)) return;
      display.expectFrame([this, &display](const Frame& frame) { onUploadBlock(display, frame); });
    } else if (command == kEndOfFile) {
      if (!confirm(display, kEndOfFile)) return;
      if (upload_.attribute & kBrailleTable) dropBrailleTable(files_, upload_.attribute & 0x0F);
      files_.store(uploadName_, std::move(upload_));
      onReset(display);
    } else if (command == kCancelUpload) {
      confirm(display, kCancelUpload);
      onReset(display);
    } else {
      // The host gave up on this upload and started something else.
      onReset(display);
      display.startExchange(command);
    }
  });
}

void FileTransfer::onUploadBlock(Display& display, const Frame& frame) {
  if (!frame.wellFormed()) return nak(display, kPageFrameError);
  const DeviceFile* replaced = files_.find(uploadName_);
  const uint64_t room = files_.free() + (replaced != nullptr ? replaced->content.size() : 0);
  if (upload_.content.size() + frame.body.size() > room) return nak(display, kCannotWrite);
  upload_.content.insert(upload_.content.end(), frame.body.begin(), frame.body.end());
  if (!confirm(display, kSync)) return;
  countBlock(display);
  if (!display.faults().unplugged) awaitUploadCommand(display);
}

void FileTransfer::expectName(Display& display, uint8_t command,
                              std::function<void(const std::string&)> then) {
  display.expectFrame([this, &display, command, then](const Frame& frame) {
    if (!frame.wellFormed()) return nak(display, kPageFrameError);
    if (frame.body.empty() || frame.body.back() != command) {
      // The firmware has codes for three of the commands; the others share the last one.
      const uint8_t code = command == kGetFile      ? kMissingGetFile
                           : command == kDeleteFile ? kMissingDeleteFile
                                                    : kMissingRenameFile;
      return nak(display, code);
    }
    then(std::string(frame.body.begin(), frame.body.end() - 1));
  });
}

void FileTransfer::beginDownload(Display& display, const std::string& name) {
  const DeviceFile* file = files_.find(name);
  if (file == nullptr) return nak(display, kNotFound);
  if (confirm(display, kSync)) sendBlocks(display, file->content);
}

void FileTransfer::beginList(Display& display, bool folders) {
  if (!confirm(display, folders ? kGetFolderList : kGetFileList)) return;
  const bool current = generation_ == Generation::Current;
  Bytes data;
  for (const Listing& entry : folders ? files_.folders() : files_.files()) {
    data.push_back(kBeginOfFile);
    data.push_back(static_cast<uint8_t>(entry.name.size()));
    data.insert(data.end(), entry.name.begin(), entry.name.end());
    data.push_back(current && entry.folder ? 2 : 0);
    appendBigEndian(data, entry.stamp.year, 2);
    data.insert(data.end(), {entry.stamp.month, entry.stamp.day, entry.stamp.hour,
                             entry.stamp.minute, entry.stamp.second});
    appendBigEndian(data, entry.size, current ? 8 : 4);
  }
  sendBlocks(display, std::move(data));
}

void FileTransfer::sendBlocks(Display& display, Bytes data) {
  outgoing_ = std::move(data);
  sent_ = 0;
  transferBlocks_ = 0;
  nextBlock(display);
}

void FileTransfer::nextBlock(Display& display) {
  if (sent_ >= outgoing_.size()) {
    display.send({kEndOfFile});
    outgoing_.clear();
    return;
  }
  display.send({kReceiveDataBlock});
  awaitAck(display, kReceiveDataBlock, [this, &display] {
    const size_t size = std::min<size_t>(sendBlock_, outgoing_.size() - sent_);
    Bytes block{static_cast<uint8_t>(size & 0xFF), static_cast<uint8_t>(size >> 8)};
    block.insert(block.end(), outgoing_.begin() + static_cast<std::ptrdiff_t>(sent_),
                 outgoing_.begin() + static_cast<std::ptrdiff_t>(sent_ + size));
    block.push_back(kSync);
    display.send(std::move(block));
    awaitAck(display, kSync, [this, &display, size] {
      sent_ += size;
      countBlock(display);
      if (!display.faults().unplugged) nextBlock(display);
    });
  });
}

void FileTransfer::sendDiskSpace(Display& display) {
  if (!confirm(display, kGetDiskSpace)) return;
  const size_t width = generation_ == Generation::Current ? 8 : 4;
  Bytes figures;
  appendBigEndian(figures, files_.capacity(), width);
  appendBigEndian(figures, files_.free(), width);
  figures.push_back(kSync);
  display.send(std::move(figures));
  awaitAck(display, kSync, [] {});
}

void FileTransfer::renameTo(Display& display, const std::string& from) {
  if (files_.find(from) == nullptr) return nak(display, kNotFound);
  if (!confirm(display, kSync)) return;
  display.expectOneByte([this, &display, from](uint8_t command) {
    if (command != kRenameFile) return display.startExchange(command);
    if (!confirm(display, kRenameFile)) return;
    expectName(display, kRenameFile, [this, &display, from](const std::string& to) {
      if (!files_.rename(from, to)) return nak(display, kAlreadyExists);
      confirm(display, kSync);
    });
  });
}

}  // namespace QrEmu
