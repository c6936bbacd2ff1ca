#include "emulator/modules/PocketReaderStorage.h"

#include "emulator/Display.h"
#include "emulator/modules/PocketReaderCommands.h"

namespace QrEmu {

namespace {
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kControl = 0x05;
constexpr uint8_t kUploadDocument = 0x02;
constexpr uint8_t kEraseFlash = 0x03;
constexpr uint8_t kUploadTable = 0x04;
constexpr uint8_t kCancel = 0x08;
constexpr uint8_t kFactoryReset = 0x0F;
constexpr uint8_t kResetReceiver = 0xFF;
constexpr uint8_t kEndOfBlock = 0x16;
constexpr uint8_t kEndOfTransfer = 0x04;
constexpr uint8_t kEndOfDocument = 0x03;
constexpr uint8_t kBookmark = 0x0F;
constexpr uint8_t kBlank = 0x20;
constexpr uint8_t kPageFrameError = 9;
constexpr size_t kBlockSize = 512;
// Header block: 0x1C, the name field, the table digit, 02 0C 1F, then the document.
constexpr size_t kNameField = 1;
constexpr size_t kNameLength = 8;
constexpr size_t kTableDigit = 9;
constexpr size_t kHeaderData = 13;
// Table block: 0x1C, the name field, 0x0F, the 256 table bytes.
constexpr size_t kTableData = 10;
constexpr size_t kTableLength = 256;
constexpr size_t kBookmarkRecord = 8;

std::string nameField(const Bytes& block) {
  std::string name(block.begin() + kNameField, block.begin() + kNameField + kNameLength);
  name.erase(name.find_last_not_of(' ') + 1);
  return name;
}
}  // namespace

PocketReaderStorage::PocketReaderStorage(PocketReaderCommands& commands) {
  commands.handle(kUploadDocument, [this](Display& display) { open(display, Transfer::Document); });
  commands.handle(kUploadTable, [this](Display& display) { open(display, Transfer::Table); });
  commands.handle(kEraseFlash, [this](Display& display) {
    drop();
    if (!answer(display)) return;
    documents.clear();
    ++erases;
  });
  commands.handle(kFactoryReset, [this](Display&) {
    drop();
    documents.clear();
    tableName.clear();
    table.clear();
    ++factoryResets;
  });
  commands.handle(kCancel, [this](Display& display) { cancel(display); });
  commands.handle(kResetReceiver, [this](Display&) { resetReceiver(); });
}

void PocketReaderStorage::open(Display& display, Transfer transfer) {
  drop();
  transfer_ = transfer;
  if (answer(display)) awaitBlockOrEnd(display);
}

bool PocketReaderStorage::answer(Display& display) {
  if (errorCode != 0 && step_ == errorAtStep) {
    display.send({kNak, errorCode});
    errorCode = 0;
    drop();
    return false;
  }
  display.send({kAck});
  return true;
}

// A block, the end of the transfer, or the PC's cancel or receiver reset. A block that begins
// with the bytes of a cancel or a reset is taken for one: the reader cannot tell them apart.
void PocketReaderStorage::awaitBlockOrEnd(Display& display) {
  display.expectOneByte([this, &display](uint8_t first) {
    if (first == kEndOfTransfer) return finish(display);
    if (first != kControl) {
      return display.expectBytes(kBlockSize, [this, &display, first](const Bytes& rest) {
        Bytes block = {first};
        block.insert(block.end(), rest.begin(), rest.end());
        takeBlock(display, block);
      });
    }
    display.expectOneByte([this, &display](uint8_t second) {
      if (second == kCancel) return cancel(display);
      if (second == kResetReceiver) return resetReceiver();
      display.expectBytes(kBlockSize - 1, [this, &display, second](const Bytes& rest) {
        Bytes block = {kControl, second};
        block.insert(block.end(), rest.begin(), rest.end());
        takeBlock(display, block);
      });
    });
  });
}

void PocketReaderStorage::takeBlock(Display& display, const Bytes& block) {
  if (block.back() != kEndOfBlock) {
    display.send({kNak, kPageFrameError});
    drop();
    return;
  }
  blocks_.emplace_back(block.begin(), block.end() - 1);
  ++blocksReceived;
  ++step_;
  if (answer(display)) awaitBlockOrEnd(display);
}

void PocketReaderStorage::finish(Display& display) {
  ++step_;
  if (!answer(display)) return;
  if (!blocks_.empty()) {
    if (transfer_ == Transfer::Document) finishDocument();
    if (transfer_ == Transfer::Table) finishTable();
  }
  drop();
}

// The document ends at the first 0x03 that only blanks follow in its block; the blocks after
// that one hold the bookmark index.
void PocketReaderStorage::finishDocument() {
  Document document;
  document.name = nameField(blocks_[0]);
  document.table = static_cast<char>(blocks_[0][kTableDigit]);
  size_t next = blocks_.size();
  for (size_t i = 0; i < blocks_.size(); ++i) {
    const Bytes& block = blocks_[i];
    const size_t start = i == 0 ? kHeaderData : 0;
    size_t last = block.size();
    while (last > start && block[last - 1] == kBlank) --last;
    const bool ends = last > start && block[last - 1] == kEndOfDocument;
    document.content.insert(document.content.end(), block.begin() + start,
                            ends ? block.begin() + last - 1 : block.end());
    if (ends) {
      next = i + 1;
      break;
    }
  }
  Bytes index;
  for (size_t i = next; i < blocks_.size(); ++i) {
    index.insert(index.end(), blocks_[i].begin(), blocks_[i].end());
  }
  for (size_t at = 0; at + kBookmarkRecord <= index.size() && index[at] == kBookmark;
       at += kBookmarkRecord) {
    const uint32_t position = index[at + 2] | index[at + 3] << 8 | index[at + 4] << 16 |
                              static_cast<uint32_t>(index[at + 5]) << 24;
    document.bookmarks.push_back({index[at + 1], position});
  }
  documents.push_back(std::move(document));
}

void PocketReaderStorage::finishTable() {
  const Bytes& block = blocks_[0];
  tableName = nameField(block);
  table.assign(block.begin() + kTableData, block.begin() + kTableData + kTableLength);
}

void PocketReaderStorage::cancel(Display& display) {
  drop();
  ++cancels;
  display.send({kAck});
}

void PocketReaderStorage::resetReceiver() {
  drop();
  ++receiverResets;
}

void PocketReaderStorage::drop() {
  transfer_ = Transfer::None;
  step_ = 0;
  blocks_.clear();
}

}  // namespace QrEmu
