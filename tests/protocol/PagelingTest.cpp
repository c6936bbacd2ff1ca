#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BookmarkIndex.h"
#include "qrcom/protocol/PagelingFileTransferStrategy.h"
#include "qrcom/protocol/PagelingMaintenanceStrategy.h"
#include "qrcom/protocol/PagelingProtocol.h"
#include "tests/protocol/ProtocolSteps.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::hex;
using QrTest::toHex;
using QrTest::operator+;

// A pocket reader that acknowledges every control sequence, every 0x16 after a block and the
// end of a transfer; `onAnswer` may interfere before each answer.
struct PocketReader {
  PocketReader() {
    port.setResponder([this](const Bytes& written, QrTest::ScriptedPort& self) {
      if (written.size() == Pageling::kBlockSize) return;
      if (onAnswer) onAnswer(written);
      self.deliver({0x06});
    });
  }
  QrTest::ScriptedPort port;
  std::function<void(const Bytes&)> onAnswer;
};

// What the PC writes for a document: the opening, each block padded with blanks and followed
// by 0x16, an empty bookmark index and the end of the transfer.
std::string documentUpload(const std::vector<Bytes>& blocks) {
  Bytes written = hex("05 02");
  for (Bytes block : blocks) {
    block.resize(Pageling::kBlockSize, 0x20);
    written = written + block + hex("16");
  }
  return toHex(written);
}

TEST(PagelingFileTransferTest, Documents) {
  Bytes document(499 + 2 * 512);
  for (size_t i = 0; i < document.size(); ++i) document[i] = static_cast<uint8_t>('a' + i % 26);
  const auto part = [&](size_t from, size_t length) {
    return Bytes(document.begin() + from, document.begin() + from + length);
  };
  // The name DOC, Braille table 9.
  const Bytes header = hex("1C 44 4F 43 20 20 20 20 20 39 02 0C 1F");
  const Bytes end = hex("03");
  const Bytes index = hex("17");
  const std::vector<std::pair<size_t, std::vector<Bytes>>> cases = {
      {0, {header + end, index}},
      {498, {header + part(0, 498) + end, index}},
      {499, {header + part(0, 499), end, index}},
      {499 + 512 + 3, {header + part(0, 499), part(499, 512), part(1011, 3) + end, index}},
      {499 + 2 * 512, {header + part(0, 499), part(499, 512), part(1011, 512), end, index}}};
  QrTest::TempDir files;
  for (const auto& [size, blocks] : cases) {
    PocketReader reader;
    PagelingFileTransferStrategy strategy;
    const std::wstring source =
        files.write(L"doc", std::string(document.begin(), document.begin() + size));
    strategy.receiveFile(reader.port, nullptr, source, L"DOC", 9, 1, nullptr);
    EXPECT_EQ(toHex(reader.port.written()), documentUpload(blocks) + " 04") << size;
  }
}

TEST(PagelingFileTransferTest, IndexProgressAndCancel) {
  QrTest::TempDir files;
  PocketReader reader;
  PagelingFileTransferStrategy strategy;
  QrTest::RecordingSink sink;
  const auto upload = [&](const std::string& content, int table = 0) {
    reader.port.clearLog();
    strategy.receiveFile(reader.port, nullptr, files.write(L"d", content), L"D", table, 1, &sink);
    return reader.port.written();
  };
  // 64 bookmarks of 8 bytes and the end byte: an index of two blocks.
  std::string marks;
  for (int i = 0; i < 64; ++i) marks += "\x01<A>";
  const Bytes written = upload(marks);
  EXPECT_EQ(toHex(Bytes(written.end() - 523, written.end() - 515)), "0F 41 00 01 00 00 FF FF");
  EXPECT_EQ(toHex(Bytes(written.end() - 514, written.end())),
            documentUpload({hex("17")}).substr(6) + " 04");
  // Reported where ((size - done) / 512 + 2) is a multiple of 10: 8 blocks left.
  sink = QrTest::RecordingSink();
  upload(std::string(499 + 18 * 512, 'p'));
  EXPECT_EQ(QrTest::progressOf(sink), "0 5619 of 9715");
  // A cancel tells the device.
  reader.onAnswer = [&](const Bytes& bytes) {
    if (bytes == hex("16")) strategy.cancel();
  };
  EXPECT_EQ(QrTest::failure([&] { upload(std::string(600, 'c')); }),
            "TransmissionCanceledByUser: Transmission cancelled by User");
  EXPECT_EQ(toHex(Bytes(reader.port.written().begin() + 513, reader.port.written().end())),
            "63 16 05 08");
  EXPECT_EQ(QrTest::failure([&] { upload("x", 10); }),
            "InvalidArgument: PagelingFileTransferStrategy::checkBrailleTableNumber -- Parameter "
            "brailleTableNumber > 9");
}

TEST(PagelingMaintenanceTest, Exchanges) {
  QrTest::ScopedVirtualClock clock;
  PocketReader reader;
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
  PagelingMaintenanceStrategy strategy;
  strategy.receiveBrailleTable(reader.port, table, L"GERMAN-8", 7, true);
  EXPECT_EQ(toHex(reader.port.written()), documentUpload({hex("1C 47 45 52 4D 41 4E 2D 38 0F") +
                                                          Bytes(table, table + 256) + hex("17")})
                                                  .replace(0, 5, "05 04") +
                                              " 04");
  strategy.deleteFlash(reader.port);
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>{250});
  reader.port.setResponder(nullptr);
  reader.port.clearLog();
  strategy.doFactoryReset(reader.port);
  reader.port.answerNextWrite(hex("15 01"));
  EXPECT_EQ(QrTest::failure([&] { strategy.deleteFlash(reader.port); }),
            "ErrorOnDevice: PagelingMaintenanceStrategy::deleteFlash --  Watchdog error.");
  EXPECT_EQ(toHex(reader.port.written()), "05 0F 05 03");
}

TEST(PagelingProtocolTest, EveryErrorCodeWithWhatThePcWritesFirst) {
  // Codes 0 to 15: D ErrorOnDevice, P ErrorInProtocol, M NotEnoughMemory, F the files, T the
  // tables, E already there; '-' has no description. Then what the PC writes first.
  const std::string kinds = "-DDDDDDDMPPDFTE-";
  const std::map<char, std::string> classes = {
      {'-', "ErrorInProtocol"},          {'D', "ErrorOnDevice"},
      {'P', "ErrorInProtocol"},          {'M', "NotEnoughMemory"},
      {'F', "MaxNumberOfFilesLoaded"},   {'T', "MaxNumberOfBrailleTablesLoaded"},
      {'E', "FileAlreadyExistsOnDevice"}};
  const std::map<int, std::string> first = {{7, "06 05 FF"},  {8, "06 04"}, {9, "06"},
                                            {10, "06 05 FF"}, {12, "06"},   {14, "06"}};
  for (int code = 0; code < 256; ++code) {
    const char kind = code < 16 ? kinds[code] : '-';
    QrTest::ScriptedPort port;
    port.deliver({0x15, static_cast<uint8_t>(code)});
    const std::string failure = QrTest::failure([&] { Pageling::awaitAnswer(port, L""); });
    EXPECT_EQ(failure.substr(0, failure.find(':')), classes.at(kind)) << code;
    EXPECT_EQ(failure == "ErrorInProtocol:  No detailled description available.", kind == '-')
        << code;
    EXPECT_EQ(toHex(port.written()), first.count(code) ? first.at(code) : "") << code;
  }
}

TEST(PagelingProtocolTest, AnAnswerIsCollectedUntilTheLineFallsSilent) {
  QrTest::VirtualClock clock;
  QrTest::ScriptedPort port(&clock);
  const auto answer = [&](const std::string& bytes) {
    port.deliver(hex(bytes));
    return QrTest::failure([&] { Pageling::awaitAnswer(port, L""); });
  };
  EXPECT_EQ(answer("06"), "(no failure)");
  EXPECT_EQ(answer("41 42 43 06"), "(no failure)");
  EXPECT_EQ(answer("41 42 15 0E"), "FileAlreadyExistsOnDevice:  File already exists on device.");
  EXPECT_EQ(toHex(port.written()), "06");
  for (const char* bytes : {"41", "41 42", "41 06 41"}) {
    EXPECT_EQ(answer(bytes), "ErrorInProtocol:  Missing ACK and NAK") << bytes;
  }
  // A HID port never fails a read: its silence reads as zeros, and collecting ends after 400.
  QrTest::ScriptedPort hid(&clock, QrTest::ScriptedPort::Kind::Hid);
  hid.deliver(hex("41"));
  EXPECT_EQ(QrTest::failure([&] { Pageling::awaitAnswer(hid, L""); }),
            "ErrorInProtocol:  Missing ACK and NAK");
  EXPECT_EQ(hid.calls().size(), 401u);
}

TEST(PagelingProtocolTest, ARefusedTransactionIsOpenedOnceMoreAfterAReceiverReset) {
  QrTest::ScriptedPort port;
  for (const char* answer : {"15 03", "", "06", "15 03", "", "15 04"}) {
    port.answerNextWrite(hex(answer));
  }
  Pageling::openTransaction(port, 0x02, L"");
  EXPECT_EQ(QrTest::failure([&] { Pageling::openTransaction(port, 0x02, L""); }),
            "ErrorOnDevice:  Too much defective blocks.");
  EXPECT_EQ(toHex(port.written()), "05 02 05 FF 05 02 05 02 05 FF 05 02");
  EXPECT_EQ(QrTest::purges(port), "05 FF|05 02|05 FF|05 02");
}

TEST(BookmarkIndexTest, RecordsInDocumentOrderWithinTheirArea) {
  EXPECT_EQ(toHex(buildBookmarkIndex(hex("41 01 3C 31 3E 42 01 3C 01 3C 32 3E 01 3C 33"))),
            "0F 31 05 00 00 00 FF FF 0F 32 0C 00 00 00 FF FF 17");
  Bytes document;
  for (int i = 0; i < 16100; ++i) document = document + hex("01 3C 41 3E");
  // Records are added while at most 127990 bytes are used: 15999 of them.
  EXPECT_EQ(buildBookmarkIndex(document).size(), 15999u * 8 + 1);
}

}  // namespace
}  // namespace QrCom
