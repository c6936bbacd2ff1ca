#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "emulator/Display.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/Identification.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/PosixSerialPort.h"
#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/Elapsed.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrCom {
namespace {

using QrEmu::Generation;
using QrTest::millisecondsSince;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

std::string pattern(size_t size) {
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 13 + i / 509) & 0xFF);
  return content;
}

// A display with a file system on a real pty, reached through the real serial port. Protocol
// pauses run on the virtual clock; the port's time-outs are real.
class FileTransferPtyTest : public ::testing::TestWithParam<Generation> {
 protected:
  FileTransferPtyTest()
      : display_(generation() == Generation::Current ? 84 : 116,
                 generation() == Generation::Current ? 0x0102 : 1),
        files_(display_.add<QrEmu::FileTransfer>(generation())) {
    display_.add<QrEmu::Identification>();
    path_ = fromUtf8(server_.add(display_).path());
    server_.start();
    port_ = std::make_unique<PosixSerialPort>(path_);
    if (generation() == Generation::Current) {
      strategy_ = std::make_unique<QrBrlOsVersion102FileTransferStrategy>(84);
    } else {
      strategy_ = std::make_unique<BrailleSystemVersion2005FileTransferStrategy>();
    }
  }

  static Generation generation() { return GetParam(); }

  QrEmu::FileTransferFaults& faults() { return files_.faults(); }

  QrTest::ScopedVirtualClock clock_;
  QrTest::TempDir dir_;
  QrEmu::Display display_;
  QrEmu::FileTransfer& files_;
  QrEmu::PtyServer server_;
  std::wstring path_;
  std::unique_ptr<PosixSerialPort> port_;
  std::unique_ptr<FileTransferStrategy> strategy_;
};

TEST_P(FileTransferPtyTest, FilesGoAndComeBackByContent) {
  const std::string content = pattern(3000);
  strategy_->receiveFile(*port_, nullptr, dir_.write(L"up", content), L"A.TXT", 0, 1, nullptr);
  {
    auto guard = display_.lock();
    const QrEmu::DeviceFile* stored = files_.files().find("A.TXT");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::string(stored->content.begin(), stored->content.end()), content);
  }
  strategy_->sendFile(*port_, nullptr, L"A.TXT", dir_.path(L"down"), content.size(), nullptr);
  EXPECT_EQ(dir_.read(L"down"), content);
  std::vector<DirectoryEntry> list;
  EXPECT_EQ(strategy_->sendFileList(*port_, list), 1u);
  EXPECT_EQ(list[0].size(), 3000u);
}

TEST_P(FileTransferPtyTest, UnplugDuringAnUploadIsAPortFailure) {
  display_.lock(), faults().unplugAfterBlocks = 3;
  const auto start = steady_clock::now();
  try {
    strategy_->receiveFile(*port_, nullptr, dir_.write(L"up", pattern(5000)), L"A", 0, 1, nullptr);
    FAIL() << "no failure";
  } catch (const PortException& failure) {
    EXPECT_NE(std::wstring(failure.getMessage()).find(path_), std::wstring::npos);
  }
  EXPECT_LT(millisecondsSince(start), 6000);
  auto guard = display_.lock();
  EXPECT_EQ(files_.files().find("A"), nullptr);
}

TEST_P(FileTransferPtyTest, UnplugDuringADownloadErasesThePartialFile) {
  strategy_->receiveFile(*port_, nullptr, dir_.write(L"up", pattern(5000)), L"A", 0, 1, nullptr);
  display_.lock(), faults().unplugAfterBlocks = 2;
  const auto start = steady_clock::now();
  try {
    strategy_->sendFile(*port_, nullptr, L"A", dir_.path(L"down"), 5000, nullptr);
    FAIL() << "no failure";
  } catch (const PortException&) {
  }
  EXPECT_LT(millisecondsSince(start), 6000);
  EXPECT_FALSE(dir_.exists(L"down"));
}

TEST_P(FileTransferPtyTest, DownloadWithoutEndOfFileEndsWithThePortsTimeOut) {
  strategy_->receiveFile(*port_, nullptr, dir_.write(L"up", "abc"), L"A", 0, 1, nullptr);
  display_.lock(), faults().withholdEndOfFile = true;
  const auto start = steady_clock::now();
  try {
    strategy_->sendFile(*port_, nullptr, L"A", dir_.path(L"down"), 3, nullptr);
    FAIL() << "no failure";
  } catch (const CannotReadFromPortException&) {
  }
  // Two one-byte reads of 300 + 1000 ms each on a port of unknown type.
  EXPECT_GE(millisecondsSince(start), 2000);
  EXPECT_LT(millisecondsSince(start), 6000);
  EXPECT_FALSE(dir_.exists(L"down"));
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, FileTransferPtyTest,
                         ::testing::Values(Generation::Legacy, Generation::Current),
                         [](const ::testing::TestParamInfo<Generation>& info) {
                           return info.param == Generation::Legacy ? "Legacy" : "Current";
                         });

using LegacyListPtyTest = FileTransferPtyTest;

TEST_P(LegacyListPtyTest, MalformedListsEndInAClearFailure) {
  strategy_->receiveFile(*port_, nullptr, dir_.write(L"up", "x"), L"A", 0, 1, nullptr);
  const std::wstring prefix = L"BrailleSystemVersion2000FileTransferStrategy::sendFileList -- ";
  std::vector<DirectoryEntry> list;
  display_.lock(), faults().listNameLength = 200;
  EXPECT_TRUE(QrTest::failsWith<ErrorInProtocolException>(
      [&] { strategy_->sendFileList(*port_, list); },
      prefix + L"Error while parsing fileListBuffer. Name too long."));
  EXPECT_TRUE(list.empty());
}

INSTANTIATE_TEST_SUITE_P(LegacyLine, LegacyListPtyTest, ::testing::Values(Generation::Legacy));

}  // namespace
}  // namespace QrCom
