#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Module.h"

namespace QrEmu {

class PocketReaderCommands;

// The pocket reader's storage behind its block protocol: documents with their bookmark index,
// one Braille table, erasing the flash and the factory reset. Every step of a transaction (the
// opening, each 512-byte block with its 0x16, the end 0x04) is answered with ACK, or once with
// NAK and an error code on demand. Knobs and results are read and set under the display's lock.
class PocketReaderStorage : public Module {
 public:
  struct Bookmark {
    uint8_t mark;
    uint32_t position;
  };
  struct Document {
    std::string name;  // the header's name field without its blanks
    char table = 0;    // the Braille-table digit
    Bytes content;
    std::vector<Bookmark> bookmarks;
  };

  // Adds the commands to the reader's 0x05 prefix.
  explicit PocketReaderStorage(PocketReaderCommands& commands);

  // The next transaction is refused with NAK and this code (0: none) at this step: 0 is its
  // opening, 1 its first block and so on. Used once.
  uint8_t errorCode = 0;
  uint32_t errorAtStep = 0;

  std::vector<Document> documents;
  std::string tableName;
  Bytes table;
  uint32_t blocksReceived = 0;
  uint32_t erases = 0;
  uint32_t factoryResets = 0;
  uint32_t cancels = 0;
  uint32_t receiverResets = 0;

 private:
  enum class Transfer { None, Document, Table };

  void open(Display& display, Transfer transfer);
  // ACK, or the error on demand (which ends the transaction); false after an error.
  bool answer(Display& display);
  void awaitBlockOrEnd(Display& display);
  void takeBlock(Display& display, const Bytes& block);
  void finish(Display& display);
  void finishDocument();
  void finishTable();
  void cancel(Display& display);
  void resetReceiver();
  void drop();

  Transfer transfer_ = Transfer::None;
  uint32_t step_ = 0;
  std::vector<Bytes> blocks_;
};

}  // namespace QrEmu
