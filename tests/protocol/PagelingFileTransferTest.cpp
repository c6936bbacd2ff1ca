#include "qrcom/protocol/PagelingFileTransferStrategy.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleTablesNames.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingProtocol.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::failsWith;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::TempDir;
using QrTest::toHex;

// A pocket reader that acknowledges every control sequence, every 0x16 after a block and the
// end of a transfer; `onAnswer` may interfere before each answer.
class PocketReader {
 public:
  PocketReader() {
    port.setResponder([this](const Bytes& written, ScriptedPort& self) {
      if (written.size() == Pageling::kBlockSize) return;
      if (onAnswer) onAnswer(written);
      self.deliver({0x06});
    });
  }
  ScriptedPort port;
  std::function<void(const Bytes&)> onAnswer;
};

// `content` at the start of a 512-byte block, blanks after it.
Bytes paddedBlock(const Bytes& content) {
  Bytes padded = content;
  padded.resize(Pageling::kBlockSize, 0x20);
  return padded;
}

using QrTest::operator+;

Bytes documentBytes(size_t size) {
  Bytes document(size);
  for (size_t i = 0; i < size; ++i) document[i] = static_cast<uint8_t>('a' + i % 26);
  return document;
}

Bytes slice(const Bytes& bytes, size_t from, size_t length) {
  return Bytes(bytes.begin() + from, bytes.begin() + from + length);
}

// Header start for the name DOC and table 3.
const Bytes kHeaderStart = hex("1C 44 4F 43 20 20 20 20 20 33 02 0C 1F");
const Bytes kNoBookmarks = paddedBlock(hex("17"));
const Bytes kEndBlock = paddedBlock(hex("03"));

class PagelingFileTransferTest : public ::testing::Test {
 protected:
  // Uploads `document` as DOC with table 3; returns what the PC wrote.
  Bytes upload(const Bytes& document, FileTransferSink* sink = nullptr) {
    const std::wstring source =
        files.write(L"doc.txt", std::string(document.begin(), document.end()));
    strategy.receiveFile(reader.port, nullptr, source, L"DOC", 3, 1, sink);
    return reader.port.written();
  }

  TempDir files;
  PocketReader reader;
  PagelingFileTransferStrategy strategy;
};

TEST_F(PagelingFileTransferTest, DocumentEndingInsideTheHeaderBlock) {
  const Bytes document = documentBytes(498);
  const Bytes expected =
      hex("05 02") + kHeaderStart + document + hex("03 16") + kNoBookmarks + hex("16 04");
  EXPECT_EQ(toHex(upload(document)), toHex(expected));
}

TEST_F(PagelingFileTransferTest, DocumentFillingTheHeaderBlockGetsAnEndBlock) {
  const Bytes document = documentBytes(499);
  const Bytes expected = hex("05 02") + kHeaderStart + document + hex("16") + kEndBlock +
                         hex("16") + kNoBookmarks + hex("16 04");
  EXPECT_EQ(toHex(upload(document)), toHex(expected));
}

TEST_F(PagelingFileTransferTest, DocumentFillingItsLastDataBlockGetsAnEndBlock) {
  const Bytes document = documentBytes(499 + 2 * 512);
  const Bytes expected = hex("05 02") + kHeaderStart + slice(document, 0, 499) + hex("16") +
                         slice(document, 499, 512) + hex("16") + slice(document, 1011, 512) +
                         hex("16") + kEndBlock + hex("16") + kNoBookmarks + hex("16 04");
  EXPECT_EQ(toHex(upload(document)), toHex(expected));
}

TEST_F(PagelingFileTransferTest, DocumentEndingInsideADataBlock) {
  const Bytes document = documentBytes(499 + 512 + 3);
  const Bytes expected = hex("05 02") + kHeaderStart + slice(document, 0, 499) + hex("16") +
                         slice(document, 499, 512) + hex("16") +
                         paddedBlock(slice(document, 1011, 3) + hex("03")) + hex("16") +
                         kNoBookmarks + hex("16 04");
  EXPECT_EQ(toHex(upload(document)), toHex(expected));
}

TEST_F(PagelingFileTransferTest, EmptyDocument) {
  const Bytes expected = hex("05 02") + paddedBlock(kHeaderStart + hex("03")) + hex("16") +
                         kNoBookmarks + hex("16 04");
  EXPECT_EQ(toHex(upload({})), toHex(expected));
}

TEST_F(PagelingFileTransferTest, BookmarksAreIndexedWithThePositionAfterThem) {
  Bytes document = documentBytes(700);
  const Bytes first = hex("01 3C 61 3E");
  const Bytes second = hex("01 3C 42 3E");
  std::copy(first.begin(), first.end(), document.begin() + 10);
  std::copy(second.begin(), second.end(), document.begin() + 600);
  // Not a bookmark: the closing byte is missing.
  document[300] = 0x01;
  document[301] = 0x3C;
  const Bytes written = upload(document);
  const Bytes index = paddedBlock(hex("0F 61 0E 00 00 00 FF FF 0F 42 5C 02 00 00 FF FF 17"));
  ASSERT_GE(written.size(), 512u + 2);
  EXPECT_EQ(toHex(slice(written, written.size() - 514, 512)), toHex(index));
}

TEST_F(PagelingFileTransferTest, TheIndexTakesAsManyBlocksAsItNeeds) {
  // 64 bookmarks of 8 bytes and the end byte: 513 bytes, two blocks.
  Bytes document;
  for (int i = 0; i < 64; ++i) document = document + hex("01 3C 41 3E");
  const Bytes written = upload(document);
  const Bytes second = slice(written, written.size() - 514, 512);
  EXPECT_EQ(toHex(second), toHex(paddedBlock(hex("17"))));
  const Bytes first = slice(written, written.size() - 1027, 512);
  EXPECT_EQ(toHex(slice(first, 504, 8)), "0F 41 00 01 00 00 FF FF");
}

TEST_F(PagelingFileTransferTest, NamesAreCutToEightBytes) {
  const std::wstring source = files.write(L"a.txt", "x");
  strategy.receiveFile(reader.port, nullptr, source, L"ABCDEFGHI", 0, 1, nullptr);
  EXPECT_EQ(toHex(slice(reader.port.written(), 2, 13)), "1C 41 42 43 44 45 46 47 48 30 02 0C 1F");
}

TEST_F(PagelingFileTransferTest, ArgumentsAreCheckedBeforeAnythingIsSent) {
  const std::wstring source = files.write(L"a.txt", "x");
  const std::wstring prefix = L"PagelingFileTransferStrategy::checkBrailleTableNumber -- ";
  EXPECT_TRUE(failsWith<InvalidArgumentException>(
      [&] { strategy.receiveFile(reader.port, nullptr, source, L"A", 10, 1, nullptr); },
      prefix + L"Parameter brailleTableNumber > 9"));
  EXPECT_TRUE(failsWith<InvalidArgumentException>(
      [&] { strategy.receiveFile(reader.port, nullptr, source, L"A", -1, 1, nullptr); },
      prefix + L"Parameter brailleTableNumber < 0"));
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      [&] { strategy.receiveFile(reader.port, nullptr, L"", L"A", 0, 1, nullptr); },
      L"PagelingFileTransferStrategy::buildTargetFileName -- SourceFileName is empty."));
  EXPECT_TRUE(reader.port.calls().empty());
}

class TransferProgress : public FileTransferSink {
 public:
  void onTransferProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t,
                          uint64_t totalBytes, uint64_t, uint64_t doneBytes, uint64_t) override {
    total = totalBytes;
    done.push_back(doneBytes);
  }
  uint64_t total = 0;
  std::vector<uint64_t> done;
};

TEST_F(PagelingFileTransferTest, ProgressIsReportedAboutEveryTenBlocks) {
  TransferProgress progress;
  upload(documentBytes(499 + 18 * 512), &progress);
  EXPECT_EQ(progress.total, 499u + 18 * 512);
  // Reported where ((size - done) / 512 + 2) is a multiple of 10: 8 blocks left.
  EXPECT_EQ(progress.done, (std::vector<uint64_t>{0, 499 + 10 * 512}));
}

TEST_F(PagelingFileTransferTest, CancelTellsTheDevice) {
  reader.onAnswer = [this](const Bytes& written) {
    if (written == hex("16")) strategy.cancel();
  };
  EXPECT_TRUE(failsWith<TransmissionCanceledByUserException>([&] { upload(documentBytes(600)); },
                                                             L"Transmission cancelled by User"));
  const Bytes written = reader.port.written();
  EXPECT_EQ(toHex(slice(written, written.size() - 3, 3)), "16 05 08");
  EXPECT_EQ(written.size(), 2u + 512 + 1 + 2);
}

TEST_F(PagelingFileTransferTest, WhatThePocketReaderOffers) {
  EXPECT_TRUE(strategy.usesPocketReaderProtocol());
  EXPECT_TRUE(strategy.supportsService(4));
  EXPECT_TRUE(strategy.supportsService(17));
  EXPECT_FALSE(strategy.supportsService(5));
  EXPECT_TRUE(strategy.clone()->usesPocketReaderProtocol());
  uint64_t total = 0;
  std::vector<DirectoryEntry> list;
  ScriptedPort& port = reader.port;
  const std::wstring prefix = L"PagelingFileTransferStrategy::";
  const std::wstring massStorage = L"NoMassStorageProtocolStrategy::";
  // Directories and deleting share one prefix.
  const std::vector<std::pair<std::function<void()>, std::wstring>> refused = {
      {[&] { strategy.sendFile(port, nullptr, L"A", L"a", 1, nullptr); }, prefix + L"sendFile -- "},
      {[&] { strategy.makeDirectory(port, L"D"); }, prefix + L"deleteFile -- "},
      {[&] { strategy.changeDirectory(port, L"D"); }, prefix + L"deleteFile -- "},
      {[&] { strategy.makePath(port, L"D\\E"); }, prefix + L"makePath -- "},
      {[&] { strategy.sendFileList(port, list); }, prefix + L"sendFileList -- "},
      {[&] { strategy.sendFolderList(port, list); }, prefix + L"sendFolderList -- "},
      {[&] { strategy.sendDiskSpace(port, total, total); }, prefix + L"sendDiskSpace -- "},
      {[&] { strategy.deleteFile(port, L"A"); }, prefix + L"deleteFile -- "},
      {[&] { strategy.renameFile(port, L"A", L"B"); }, prefix + L"renameFile -- "},
      {[&] { strategy.checkMassStorageProtocolActive(port); },
       massStorage + L"checkMassStorageProtocolActive -- "},
      {[&] { strategy.lockMassStorageProtocol(port); },
       massStorage + L"lockMassStorageProtocol -- "},
      {[&] { strategy.releaseMassStorageProtocol(port); }, massStorage + L"sendFileList -- "},
  };
  for (const auto& [operation, expected] : refused) {
    EXPECT_TRUE(QrTest::failsAsNotSupported(operation, expected)) << expected;
  }
  EXPECT_TRUE(port.calls().empty());
}

TEST(PagelingMaintenanceTest, BrailleTableInOneBlock) {
  PocketReader reader;
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
  PagelingMaintenanceStrategy strategy;
  strategy.receiveBrailleTable(reader.port, table, L"GERMAN-8", 7, true);
  const Bytes expected =
      hex("05 04") +
      paddedBlock(hex("1C 47 45 52 4D 41 4E 2D 38 0F") + Bytes(table, table + 256) + hex("17")) +
      hex("16 04");
  EXPECT_EQ(toHex(reader.port.written()), toHex(expected));

  reader.port.clearLog();
  strategy.receiveBrailleTable(reader.port, table, L"US", 0, false);
  EXPECT_EQ(toHex(slice(reader.port.written(), 2, 11)), "1C 55 53 20 20 20 20 20 20 0F 00");

  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      [&] { strategy.receiveBrailleTable(reader.port, table, L"", 0, false); },
      L"PagelingMaintenanceStrategy::receiveBrailleTable -- Braille table name is empty."));
}

TEST(PagelingMaintenanceTest, EraseAndFactoryReset) {
  QrTest::ScopedVirtualClock clock;
  PocketReader reader;
  PagelingMaintenanceStrategy strategy;
  strategy.deleteFlash(reader.port);
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>{250});
  reader.port.setResponder(nullptr);
  reader.port.clearLog();
  strategy.doFactoryReset(reader.port);
  EXPECT_EQ(toHex(reader.port.written()), "05 0F");
  EXPECT_EQ(reader.port.calls().size(), 1u);

  ScriptedPort refusing;
  refusing.answerNextWrite(hex("15 01"));
  EXPECT_TRUE(failsWith<ErrorOnDeviceException>(
      [&] { strategy.deleteFlash(refusing); },
      L"PagelingMaintenanceStrategy::deleteFlash --  Watchdog error."));
}

TEST(PagelingMaintenanceTest, WhatThePocketReaderOffers) {
  PagelingMaintenanceStrategy strategy;
  ScriptedPort port;
  EXPECT_FALSE(strategy.usesLegacyTableSlots());
  EXPECT_FALSE(strategy.isMassStorageProtocolActive(port));
  strategy.lockMassStorageProtocol(port);
  strategy.releaseMassStorageProtocol(port);
  EXPECT_TRUE(port.calls().empty());
  for (int id : {2, 3, 14}) {
    EXPECT_TRUE(strategy.supportsService(id));
    EXPECT_TRUE(strategy.clone()->supportsService(id));
  }
  for (int id : {1, 4, 16, 22}) EXPECT_FALSE(strategy.supportsService(id));
  int first = 0;
  int second = 0;
  BrailleTablesNames names;
  wchar_t pin[8];
  BatteryInfo battery;
  DeviceDateTime time;
  const std::wstring prefix = L"PagelingMaintenanceStrategy::";
  const std::vector<std::pair<std::function<void()>, std::wstring>> refused = {
      {[&] { strategy.getUsedBrailleTables(port, first, second); },
       prefix + L"getUsedBrailleTables -- "},
      {[&] { strategy.activateBrailleTable(port, 1); }, prefix + L"activateBrailleTable -- "},
      {[&] { strategy.getBrailleTablesNames(port, names); }, prefix + L"getBrailleTablesNames -- "},
      {[&] { strategy.setBluetoothPin(port, L"1234"); }, prefix + L"setBluetoothPin -- "},
      {[&] { strategy.getBluetoothPin(port, pin, 8); }, prefix + L"getBluetoothPin -- "},
      {[&] { strategy.requestBatteryInfo(port, &battery); }, prefix + L"requestBatteryInfo -- "},
      {[&] { strategy.startBatteryTestMode(port); }, prefix + L"startBatteryTestMode -- "},
      {[&] { strategy.setRealTimeClock(port, time); }, prefix + L"setRealTimeClock -- "},
      {[&] { strategy.getRealTimeClock(port, &time); }, prefix + L"getRealTimeClock -- "},
  };
  for (const auto& [operation, expected] : refused) {
    EXPECT_TRUE(QrTest::failsAsNotSupported(operation, expected)) << expected;
  }
  EXPECT_TRUE(port.calls().empty());
}

}  // namespace
}  // namespace QrCom
