// Uploads through a real pty with the real serial port class: the main firmware of an older
// display (real clock), the emulated flash compared with the files afterwards, and a file to
// and from a current display's file system (protocol pauses on a virtual clock).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "emulator/Display.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/Identification.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/port/PosixSerialPort.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/Elapsed.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = QR_TEST_DATA "/firmware";

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes that are not all alike, so that a shifted or lost block shows.
std::string pattern(size_t size) {
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 13 + i / 509) & 0xFF);
  return content;
}

class UploadsOnPtyTest : public ::testing::Test {
 protected:
  // A display that tells its model; the test adds its other modules before serve().
  Display& make(uint8_t model, uint16_t version) {
    display = std::make_unique<Display>(model, version);
    display->add<Identification>();
    return *display;
  }
  void serve() {
    path = QrCom::fromUtf8(server.add(*display).path());
    server.start();
    port = std::make_unique<QrCom::PosixSerialPort>(path);
  }
  void loadFirmware(const fs::path& first) {
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
    strategy.loadFirmware(*port, QrCom::fromUtf8(first.string()), nullptr);
  }

  QrTest::TempDir folder;
  std::unique_ptr<Display> display;  // outlives the server
  PtyServer server;
  std::wstring path;
  std::unique_ptr<QrCom::PosixSerialPort> port;
};

// One file (with LF-only line ends: each record keeps its last character) into bank 0.
TEST_F(UploadsOnPtyTest, FirmwareFileIntoAnEightBankDisplay) {
  auto& loader = make(116, 3).add<EpromBootLoader>(EpromBootLoader::Options{8, 1200, ""});
  serve();
  loadFirmware(kSamples / "LFONLY.H00");
  auto guard = display->lock();
  EXPECT_EQ(loader.flash().differenceFrom(0, contentOf(kSamples / "LFONLY.H00")), "");
  EXPECT_TRUE(loader.flash().records(1).empty());
  EXPECT_EQ(loader.erases(), 1u);
  EXPECT_TRUE(loader.runsNewFirmware());
  EXPECT_EQ(display->mode(), Mode::Normal);
}

TEST_F(UploadsOnPtyTest, DisplayUnpluggedDuringTheFirmwareRecords) {
  auto& loader = make(116, 3).add<EpromBootLoader>(EpromBootLoader::Options{8, 1200, ""});
  loader.unplugAfterRecords(25);  // of 45
  serve();
  EXPECT_THROW(loadFirmware(kSamples / "LFONLY.H00"), QrCom::PortException);
  auto guard = display->lock();
  EXPECT_EQ(loader.flash().records(0).size(), 25u);
}

TEST_F(UploadsOnPtyTest, FileGoesAndComesBackByContent) {
  QrTest::ScopedVirtualClock clock;
  auto& files = make(84, 0x0102).add<FileTransfer>(Generation::Current);
  serve();
  QrCom::QrBrlOsVersion102FileTransferStrategy strategy(84);
  const std::string content = pattern(3000);
  strategy.receiveFile(*port, nullptr, folder.write(L"up", content), L"A.TXT", 0, 1, nullptr);
  {
    auto guard = display->lock();
    const DeviceFile* stored = files.files().find("A.TXT");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::string(stored->content.begin(), stored->content.end()), content);
  }
  strategy.sendFile(*port, nullptr, L"A.TXT", folder.path(L"down"), content.size(), nullptr);
  EXPECT_EQ(folder.read(L"down"), content);
  std::vector<QrCom::DirectoryEntry> list;
  EXPECT_EQ(strategy.sendFileList(*port, list), 1u);
  EXPECT_EQ(list[0].size(), 3000u);
}

TEST_F(UploadsOnPtyTest, UnplugDuringAFileUploadIsAPortFailureAtOnce) {
  QrTest::ScopedVirtualClock clock;
  auto& files = make(84, 0x0102).add<FileTransfer>(Generation::Current);
  files.faults().unplugAfterBlocks = 3;
  serve();
  QrCom::QrBrlOsVersion102FileTransferStrategy strategy(84);
  const auto start = std::chrono::steady_clock::now();
  try {
    strategy.receiveFile(*port, nullptr, folder.write(L"up", pattern(5000)), L"A", 0, 1, nullptr);
    FAIL() << "no failure";
  } catch (const QrCom::PortException& failure) {
    EXPECT_NE(std::wstring(failure.getMessage()).find(path), std::wstring::npos);
  }
  EXPECT_LT(QrTest::millisecondsSince(start), 6000);
  auto guard = display->lock();
  EXPECT_EQ(files.files().find("A"), nullptr);
}

}  // namespace
}  // namespace QrEmu
