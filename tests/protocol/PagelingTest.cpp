#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BookmarkIndex.h"
#include "qrcom/protocol/PagelingFileTransferStrategy.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingProtocol.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using namespace QrTest;

// What the PC writes: `opening` (05 and a command), each block padded with blanks and followed
// by 0x16, then the end of the transfer.
std::string pocketUpload(const char* opening, const std::vector<Bytes>& blocks) {
  Bytes written = hex(opening);
  for (Bytes block : blocks) {
    block.resize(Pageling::kBlockSize, 0x20);
    written = written + block + hex("16");
  }
  return toHex(written + hex("04"));
}

// The pocket reader's document upload, to a reader that acknowledges every step.
TEST(PagelingFileTransferTest, Documents) {
  ScopedVirtualClock clock;
  TempDir files;
  ScriptedPort port;
  PagelingFileTransferStrategy strategy;
  std::function<void(const Bytes&)> onAnswer;
  port.setResponder([&](const Bytes& written, ScriptedPort& self) {
    if (written.size() == Pageling::kBlockSize) return;
    if (onAnswer) onAnswer(written);
    self.deliver({0x06});
  });
  const auto upload = [&](const std::string& content, int table) {
    port.clearLog();
    strategy.receiveFile(port, nullptr, files.write(L"d", content), L"DOC", table, 1, nullptr);
    return toHex(port.written());
  };
  std::string document;
  for (size_t i = 0; i < 499 + 512 + 3; ++i) document += static_cast<char>('a' + i % 26);
  const auto part = [&](size_t from, size_t length) {
    return ascii(document.substr(from, length));
  };
  // The name DOC and Braille table 9; the end of the text; an empty bookmark index.
  const Bytes header = hex("1C 44 4F 43 20 20 20 20 20 39 02 0C 1F"), end = hex("03");
  const Bytes none = hex("17");
  EXPECT_EQ(upload(document, 9), pocketUpload("05 02", {header + part(0, 499), part(499, 512),
                                                        part(1011, 3) + end, none}));
  EXPECT_THROW(upload("x", 10), InvalidArgumentException);
  // A cancel tells the device.
  onAnswer = [&](const Bytes& bytes) {
    if (bytes == hex("16")) strategy.cancel();
  };
  EXPECT_EQ(failure([&] { upload(std::string(600, 'c'), 0); }),
            "TransmissionCanceledByUser: Transmission cancelled by User");
  EXPECT_EQ(toHex(Bytes(port.written().end() - 5, port.written().end())), "63 63 16 05 08");

  // A Braille table goes in one block.
  onAnswer = nullptr;
  port.clearLog();
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
  PagelingMaintenanceStrategy maintenance;
  maintenance.receiveBrailleTable(port, table, L"GERMAN-8", 7, true);
  EXPECT_EQ(toHex(port.written()), pocketUpload("05 04", {hex("1C 47 45 52 4D 41 4E 2D 38 0F") +
                                                          Bytes(table, table + 256) + hex("17")}));
}

TEST(PagelingProtocolTest, Answers) {
  // A NAK code: the failure's class and what the PC writes first.
  std::string answers;
  for (int code : {0, 7, 8, 9, 10, 12, 13, 14, 16}) {
    ScriptedPort port;
    port.deliver({0x15, static_cast<uint8_t>(code)});
    const std::string failed = failure([&] { Pageling::awaitAnswer(port, L""); });
    answers += failed.substr(0, failed.find(':')) + " " + toHex(port.written()) + "|";
  }
  EXPECT_EQ(answers,
            "ErrorInProtocol |ErrorOnDevice 06 05 FF|NotEnoughMemory 06 04|ErrorInProtocol 06|"
            "ErrorInProtocol 06 05 FF|MaxNumberOfFilesLoaded 06|MaxNumberOfBrailleTablesLoaded |"
            "FileAlreadyExistsOnDevice 06|ErrorInProtocol |");
}

TEST(BookmarkIndexTest, RecordsInDocumentOrderWithinTheirArea) {
  EXPECT_EQ(toHex(buildBookmarkIndex(hex("41 01 3C 31 3E 42 01 3C 01 3C 32 3E 01 3C 33"))),
            "0F 31 05 00 00 00 FF FF 0F 32 0C 00 00 00 FF FF 17");
}

}  // namespace
}  // namespace QrCom
