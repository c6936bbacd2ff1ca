#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <string>
#include <thread>

#include "qrcom/base/LocalFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::claimedServices;
using QrTest::Conversation;
using QrTest::failsAsNotSupported;
using QrTest::failsWith;
using QrTest::hex;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr uint8_t kModel = 0x54;
constexpr wchar_t kUpload[] = L"QrBrlOsFileTransferStrategy::doReceiveFile -- ";
constexpr wchar_t kDownload[] = L"QrBrlOsFileTransferStrategy::DoSendFile -- ";
// 4 GiB in all, 2 GiB + 1 free.
constexpr char kDiskSpace[] = "06 25 00 00 00 01 00 00 00 00 00 00 00 00 80 00 00 01 16";

std::string lengthOf(size_t size) {
  return toHex({static_cast<uint8_t>(size & 0xFF), static_cast<uint8_t>(size >> 8)});
}

// The seven time-stamp bytes of the header for the local file `path`.
std::string stampOf(const std::wstring& path) {
  CalendarTime time;
  EXPECT_TRUE(getFileTime(path.c_str(), &time));
  return toHex({static_cast<uint8_t>(time.year >> 8), static_cast<uint8_t>(time.year & 0xFF),
                static_cast<uint8_t>(time.month), static_cast<uint8_t>(time.day),
                static_cast<uint8_t>(time.hour), static_cast<uint8_t>(time.minute),
                static_cast<uint8_t>(time.second)});
}

class QrBrlOsFileTransferTest : public ::testing::Test {
 protected:
  // The disk-space exchange and the acknowledged `header` frame of an upload.
  void opens(const std::string& header) {
    device_.step("25", kDiskSpace).step("06 16").step("03", "06 03").step(header, "06 16");
  }

  QrTest::TempDir dir_;
  ScriptedPort port_;
  Conversation device_{port_};
  QrBrlOsFileTransferStrategy strategy_{kModel};
  QrBrlOsVersion102FileTransferStrategy v102_{kModel};
  QrTest::RecordingSink sink_;
  std::vector<DirectoryEntry> list_;
};

TEST_F(QrBrlOsFileTransferTest, UploadHeaderCarriesTheFileTime) {
  const std::wstring source = dir_.write(L"hello", "hello");
  opens("10 00 1C 41 2E 54 58 54 05 " + stampOf(source) + " 01 0F 16");
  device_.step("03", "06 03").step("05 00 68 65 6C 6C 6F 16", "06 16").step("04", "06 04");
  strategy_.receiveFile(port_, nullptr, source, L"A.TXT", 0, 1, nullptr);
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsFileTransferTest, UploadBlocksOf512WithProgressAfterEach) {
  const std::wstring source = dir_.write(L"f", std::string(1100, 'z'));
  const std::string stamp = stampOf(source);
  opens("0C 00 1C 46 05 " + stamp + " 01 0F 16");
  for (size_t size : {512, 512, 76}) {
    device_.step("03", "06 03")
        .step(lengthOf(size) + " " + toHex(Bytes(size, 'z')) + " 16", "06 16");
  }
  device_.step("04", "06 04");
  strategy_.receiveFile(port_, nullptr, source, L"F", 0, 1, &sink_);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(sink_.done(), (std::vector<uint64_t>{0, 512, 1024, 1100}));
}

TEST_F(QrBrlOsFileTransferTest, CancelFromTheUserInterfaceThread) {
  const std::wstring source = dir_.write(L"f", std::string(1100, 'z'));
  opens("0C 00 1C 46 05 " + stampOf(source) + " 01 0F 16");
  device_.step("03", "06 03")
      .step(lengthOf(512) + " " + toHex(Bytes(512, 'z')) + " 16", "06 16")
      .step("43", "06 43");
  // The worker stops after its first block until the other thread has cancelled.
  std::promise<void> firstBlock;
  std::promise<void> cancelled;
  std::future<void> firstBlockDone = firstBlock.get_future();
  std::future<void> cancelDone = cancelled.get_future();
  sink_.onReport = [&](uint64_t done) {
    if (done != 512) return;
    firstBlock.set_value();
    cancelDone.wait();
  };
  std::wstring failure;
  std::thread worker([&] {
    failure = QrTest::failureOf(
        [&] { strategy_.receiveFile(port_, nullptr, source, L"F", 0, 1, &sink_); });
  });
  firstBlockDone.wait();
  strategy_.cancel();
  cancelled.set_value();
  worker.join();
  EXPECT_EQ(failure, std::wstring(kUpload) + L"Transmission canceled by user (PC side).");
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsFileTransferTest, NamesUpTo260Characters) {
  const std::wstring source = dir_.write(L"a", "");
  const std::wstring prefix = L"QrBrlOsV30FileTransferStrategy::getTargetFileName -- ";
  const auto upload = [&](const std::wstring& from, const std::wstring& to) {
    return [&, from, to] { strategy_.receiveFile(port_, nullptr, from, to, 0, 1, nullptr); };
  };
  EXPECT_TRUE(failsWith<IllegalTargetFileNameException>(upload(source, std::wstring(261, L'N')),
                                                        prefix + L"TargetFilename too long."));
  EXPECT_TRUE(failsWith<IllegalTargetFileNameException>(upload(source, L""),
                                                        prefix + L"Empty target file name."));
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(upload(L"", L"A"),
                                                        prefix + L"SourceFileName is empty."));
  EXPECT_TRUE(port_.written().empty());

  opens("0F 01 1C " + toHex(Bytes(260, 'N')) + " 05 " + stampOf(source) + " 01 0F 16");
  device_.step("04", "06 04");
  strategy_.receiveFile(port_, nullptr, source, L" " + std::wstring(260, L'N'), 0, 1, nullptr);
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsFileTransferTest, DownloadAcceptsBlocksUpTo514Bytes) {
  // (30840 - done) / 514 + 2 is a multiple of 50 at done 6168; 514 is the first block.
  device_.step("21", "06 21").step("06 00 41 2E 54 58 54 21 16", "06 16 03");
  for (int i = 0; i < 60; ++i) {
    device_.step("06 03", lengthOf(514) + " " + toHex(Bytes(514, 'd')) + " 16 03").step("06 16");
  }
  device_.step("06 03", "00 00 16").step("06 16", "04");
  strategy_.sendFile(port_, nullptr, L"A.TXT", dir_.path(L"a"), 30840, &sink_);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(dir_.read(L"a"), std::string(30840, 'd'));
  EXPECT_EQ(sink_.done(), (std::vector<uint64_t>{0, 514, 6168, 30840}));
}

TEST_F(QrBrlOsFileTransferTest, DownloadRefusesBlocksOf515Bytes) {
  device_.step("21", "06 21").step("06 00 41 2E 54 58 54 21 16", "06 16 03").step("06 03", "03 02");
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy_.sendFile(port_, nullptr, L"A.TXT", dir_.path(L"a"), 3, nullptr); },
      std::wstring(kDownload) + L"Requested package size exceeds maximum size."));
  EXPECT_TRUE(device_.finished());
  EXPECT_FALSE(dir_.exists(L"a"));
}

TEST_F(QrBrlOsFileTransferTest, DownloadNameChecks) {
  const auto download = [&](const std::wstring& source, const std::wstring& target) {
    return [&, source, target] { strategy_.sendFile(port_, nullptr, source, target, 3, nullptr); };
  };
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      download(L"", dir_.path(L"a")), std::wstring(kDownload) + L"SourceFileName ist empty."));
  EXPECT_TRUE(failsWith<IllegalTargetFileNameException>(
      download(L"A", L""), std::wstring(kDownload) + L"targetFileName is empty."));
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      download(std::wstring(261, L'N'), dir_.path(L"a")),
      std::wstring(kDownload) + L"SourceFileName too long."));
  EXPECT_TRUE(port_.written().empty());

  device_.step("21", "06 21").step("05 01 " + toHex(Bytes(260, 'N')) + " 21 16", "06 16 04");
  strategy_.sendFile(port_, nullptr, std::wstring(260, L'N'), dir_.path(L"a"), 0, nullptr);
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsFileTransferTest, AfterCancelNothingIsExchangedAgain) {
  const std::wstring source = dir_.write(L"a", "abc");
  ScriptedPort hid(nullptr, ScriptedPort::Kind::Hid);
  hid.setCanChangeBaudRate(true);  // not even the rate switch goes out
  strategy_.cancel();
  for (ScriptedPort* port : {&port_, &hid}) {
    strategy_.receiveFile(*port, nullptr, source, L"A", 0, 1, &sink_);
    strategy_.sendFile(*port, nullptr, L"A", dir_.path(L"b"), 3, &sink_);
    strategy_.makeDirectory(*port, L"D");
    strategy_.changeDirectory(*port, L"D");
    strategy_.makePath(*port, L"/D/E");
    EXPECT_TRUE(port->calls().empty());
  }
  EXPECT_TRUE(sink_.reports.empty());
  EXPECT_FALSE(dir_.exists(L"b"));

  // A clone starts afresh.
  const std::unique_ptr<FileTransferStrategy> clone = strategy_.clone();
  device_.step("26", "06 26").step("02 00 44 26 16", "06 16");
  clone->makeDirectory(port_, L"D");
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsFileTransferTest, DiskSpaceInSixtyFourBits) {
  device_.step("25", kDiskSpace).step("06 16");
  uint64_t total = 0;
  uint64_t free = 0;
  strategy_.sendDiskSpace(port_, total, free);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(total, 0x100000000ull);
  EXPECT_EQ(free, 0x80000001ull);

  ScriptedPort port;
  Conversation device(port);
  device.step("25", "06 25 00 00 00 01 00 00 00 00 00 00 00 00 80 00 00 01 04");
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy_.sendDiskSpace(port, total, free); },
      L"QrBrlOsFileTransferStrategy::sendDiskSpace -- Missing SYNC in transaction "
      L"GET_DISK_SPACE."));
}

// A.TXT, a file of 0x0102030405 bytes; LANGUAGE, a folder.
constexpr char kRecords[] =
    "1C 05 41 2E 54 58 54 00 07 E8 05 01 0E 05 21 00 00 00 01 02 03 04 05 "
    "1C 08 4C 41 4E 47 55 41 47 45 02 07 E8 05 01 0E 05 21 00 00 00 00 00 00 10 00";

// The list exchange of `command` answered with `records` in one block.
void scriptList(Conversation& device, const std::string& command, const std::string& records) {
  const size_t size = hex(records).size();
  device.step(command, "06 " + command + " 03")
      .step("06 03", lengthOf(size) + " " + records + " 16")
      .step("06 16", "04");
}

// Changes to `path` with the device agreeing.
void scriptChange(Conversation& device, const std::string& path) {
  device.step("27", "06 27")
      .step(lengthOf(path.size() + 1) + " " + toHex(Bytes(path.begin(), path.end())) + " 27 16",
            "06 16");
}

TEST_F(QrBrlOsFileTransferTest, ListPathsFollowTheCurrentDirectory) {
  scriptList(device_, "20", kRecords);
  scriptChange(device_, "/QRSYS");
  scriptList(device_, "20", kRecords);
  scriptChange(device_, "/QRSYS/");
  scriptList(device_, "20", kRecords);
  EXPECT_EQ(strategy_.sendFileList(port_, list_), 2u);
  strategy_.changeDirectory(port_, L"/QRSYS");
  EXPECT_EQ(strategy_.sendFileList(port_, list_), 4u);
  strategy_.changeDirectory(port_, L"/QRSYS/");
  EXPECT_EQ(strategy_.sendFileList(port_, list_), 6u);
  EXPECT_TRUE(device_.finished());

  std::vector<std::wstring> paths;
  for (const DirectoryEntry& entry : list_) paths.push_back(entry.path());
  EXPECT_EQ(paths,
            (std::vector<std::wstring>{L"/A.TXT", L"/LANGUAGE", L"/QRSYS/A.TXT", L"/QRSYS/LANGUAGE",
                                       L"/QRSYS/A.TXT", L"/QRSYS/LANGUAGE"}));
  EXPECT_EQ(list_[0].size(), 0x0102030405ull);
  EXPECT_EQ(list_[0].flags(), 0u);
  EXPECT_FALSE(list_[0].isFolder());
  EXPECT_TRUE(list_[1].isFolder());
  EXPECT_EQ(list_[1].displayName(), L"/LANGUAGE");
  EXPECT_EQ(list_[1].sizeText(), L"");
  EXPECT_EQ(list_[1].time().year, 2024);
}

TEST_F(QrBrlOsFileTransferTest, FolderListOnlyOnVersion102) {
  scriptList(device_, "28", kRecords);
  EXPECT_EQ(v102_.sendFolderList(port_, list_), 2u);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(list_[1].path(), L"/LANGUAGE");
  EXPECT_TRUE(
      failsAsNotSupported([&] { strategy_.sendFolderList(port_, list_); },
                          L"BrailleSystemVersion2005FileTransferStrategy::sendFolderList -- "));
}

TEST_F(QrBrlOsFileTransferTest, MalformedCurrentLists) {
  const std::wstring prefix = L"QrBrlOsFileTransferStrategy::sendFileList -- ";
  scriptList(device_, "20", std::string(kRecords) + " 1C 02 41");
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy_.sendFileList(port_, list_); },
      prefix + L"Error while parsing fileListBuffer. Record runs past the end."));
  EXPECT_TRUE(list_.empty());
}

TEST_F(QrBrlOsFileTransferTest, ListDataIsBounded) {
  // A device that never ends its list: full blocks of zeros, one after another.
  const Bytes block = [] {
    Bytes bytes = hex("02 02");
    bytes.resize(2 + 514, 0);
    bytes.push_back(0x16);
    return bytes;
  }();
  size_t blocks = 0;
  port_.setResponder([&](const Bytes& written, ScriptedPort& port) {
    if (written == hex("20")) port.deliver(hex("06 20 03"));
    if (written == hex("06 03")) {
      port.deliver(block);
      ++blocks;
    }
    if (written == hex("06 16")) port.deliver(hex("03"));
  });
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { strategy_.sendFileList(port_, list_); },
      L"QrBrlOsFileTransferStrategy::sendFileList -- List exceeds 1048576 bytes."));
  EXPECT_EQ(blocks, 1048576u / 514 + 1);  // the last one announced, refused unread
}

TEST_F(QrBrlOsFileTransferTest, ServicesAndClones) {
  EXPECT_EQ(claimedServices(strategy_), "4 5 6 7 8 9 10 15 18 20 31 32");
  EXPECT_EQ(claimedServices(v102_), "4 5 6 7 8 9 10 15 18 20 31 32 33");
  EXPECT_NE(dynamic_cast<QrBrlOsVersion102FileTransferStrategy*>(v102_.clone().get()), nullptr);
  EXPECT_EQ(dynamic_cast<QrBrlOsVersion102FileTransferStrategy*>(strategy_.clone().get()), nullptr);
  EXPECT_NE(dynamic_cast<QrBrlOsFileTransferStrategy*>(strategy_.clone().get()), nullptr);
  EXPECT_FALSE(strategy_.usesPocketReaderProtocol());
}

TEST_F(QrBrlOsFileTransferTest, TransfersSwitchTheRateWhereThePortCan) {
  ScriptedPort hid(nullptr, ScriptedPort::Kind::Hid);
  hid.setCanChangeBaudRate(true);
  Conversation device(hid);
  device.step("79 54 02 0D 11 16", "79 54 02 07 7E 16")
      .step("FF", "FE 54")
      .step("21", "06 21")
      .step("02 00 41 21 16", "06 16 04")
      .step("79 54 02 0D 19 16", "79 54 02 07 7E 16")
      .step("FF", "FE 54");
  QrTest::ScopedVirtualClock clock;
  strategy_.sendFile(hid, nullptr, L"A", dir_.path(L"a"), 0, nullptr);
  EXPECT_TRUE(device.finished());
}

}  // namespace
}  // namespace QrCom
