// The pocket reader's block protocol: the host's strategies against the emulated reader, which
// keeps what arrives so that the tests can see what the reader ends up holding.
#include "emulator/modules/PocketReaderStorage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/EmulatedPort.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/PagelingFileTransferStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

constexpr uint8_t kPocketReader = 144;

std::string documentOf(size_t size) {
  std::string document(size, ' ');
  for (size_t i = 0; i < size; ++i) document[i] = static_cast<char>('a' + i % 26);
  return document;
}

// Cancels the upload at its second progress report.
class CancellingSink : public QrCom::FileTransferSink {
 public:
  explicit CancellingSink(QrCom::FileTransferStrategy& strategy) : strategy_(strategy) {}
  void onTransferProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t,
                          uint64_t, uint64_t doneBytes, uint64_t) override {
    if (doneBytes > 0) strategy_.cancel();
  }

 private:
  QrCom::FileTransferStrategy& strategy_;
};

class PocketReaderStorageTest : public ::testing::Test {
 protected:
  PocketReaderStorageTest() {
    reader->setTrace([this](const TraceEvent& event) {
      if (event.kind == TraceEvent::FromHost) {
        fromHost.insert(fromHost.end(), event.bytes.begin(), event.bytes.end());
      }
    });
  }

  void upload(const std::string& document, const std::wstring& name = L"NOTES", int table = 0,
              QrCom::FileTransferSink* sink = nullptr) {
    files.receiveFile(port, nullptr, folder.write(L"doc.txt", document), name, table, 0, sink);
  }

  QrTest::ScopedVirtualClock clock;
  QrTest::TempDir folder;
  std::unique_ptr<Display> reader = makeDisplay(kPocketReader, 0);
  PocketReaderStorage& storage = *reader->find<PocketReaderStorage>();
  EmulatedPort port{*reader, &*clock};
  QrCom::PagelingFileTransferStrategy files;
  Bytes fromHost;
};

TEST_F(PocketReaderStorageTest, DocumentsArriveWholeWithTheirBookmarks) {
  const std::string document = documentOf(700) + "\x01<A>" + documentOf(300) + "\x01<z>end";
  upload(document, L"NOVEL", 4);
  ASSERT_EQ(storage.documents.size(), 1u);
  const PocketReaderStorage::Document& stored = storage.documents[0];
  EXPECT_EQ(stored.name, "NOVEL");
  EXPECT_EQ(stored.table, '4');
  EXPECT_EQ(std::string(stored.content.begin(), stored.content.end()), document);
  ASSERT_EQ(stored.bookmarks.size(), 2u);
  EXPECT_EQ(stored.bookmarks[0].mark, 'A');
  EXPECT_EQ(stored.bookmarks[0].position, 704u);
  EXPECT_EQ(stored.bookmarks[1].mark, 'z');
  EXPECT_EQ(stored.bookmarks[1].position, 1008u);
}

TEST_F(PocketReaderStorageTest, TheEndMarkerFindsItsBlock) {
  // Header and index; header, end block and index; header, one data block, end block, index.
  const std::vector<std::pair<size_t, uint32_t>> cases = {{498, 2}, {499, 3}, {499 + 512, 4}};
  for (const auto& [size, blocks] : cases) {
    SCOPED_TRACE(size);
    storage.blocksReceived = 0;
    upload(documentOf(size));
    EXPECT_EQ(storage.blocksReceived, blocks);
    EXPECT_EQ(storage.documents.back().content.size(), size);
    EXPECT_TRUE(storage.documents.back().bookmarks.empty());
  }
}

TEST_F(PocketReaderStorageTest, ARefusedOpeningIsRetriedAfterAReceiverReset) {
  storage.errorCode = 14;
  upload("letter");
  EXPECT_EQ(storage.receiverResets, 1u);
  ASSERT_EQ(storage.documents.size(), 1u);
  EXPECT_EQ(toHex(Bytes(fromHost.begin(), fromHost.begin() + 7)), "05 02 06 05 FF 05 02");
}

TEST_F(PocketReaderStorageTest, ADeviceErrorInTheMiddleEndsTheUpload) {
  storage.errorCode = 8;
  storage.errorAtStep = 2;
  EXPECT_TRUE(QrTest::failsWith<QrCom::NotEnoughMemoryException>(
      [&] { upload(documentOf(2000)); },
      L"PagelingFileTransferStrategy::receiveFile --  Not enough memory."));
  EXPECT_TRUE(storage.documents.empty());
  EXPECT_EQ(storage.blocksReceived, 2u);
  // What the reader needs to leave its receive state.
  EXPECT_EQ(toHex(Bytes(fromHost.end() - 3, fromHost.end())), "16 06 04");
}

TEST_F(PocketReaderStorageTest, ACancelledUploadLeavesNothing) {
  CancellingSink sink(files);
  EXPECT_TRUE(QrTest::failsWith<QrCom::TransmissionCanceledByUserException>(
      [&] { upload(documentOf(499 + 18 * 512), L"NOTES", 0, &sink); },
      L"Transmission cancelled by User"));
  EXPECT_EQ(storage.cancels, 1u);
  EXPECT_TRUE(storage.documents.empty());
  upload("letter");
  EXPECT_EQ(storage.documents.size(), 1u);
}

}  // namespace
}  // namespace QrEmu
