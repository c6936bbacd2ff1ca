#include "emulator/modules/FileTransfer.h"

#include <gtest/gtest.h>

#include <string>

#include "emulator/Display.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/Identification.h"
#include "emulator/modules/RateSwitch.h"
#include "qrcom/base/LocalFile.h"
#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::failsWith;

// Bytes that are not all alike, so that a shifted or lost block shows.
std::string pattern(size_t size) {
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return content;
}

std::string fileContent(const DeviceFile* file) {
  return file == nullptr ? "(missing)" : std::string(file->content.begin(), file->content.end());
}

// The library's strategies against an emulated display, in process and on the virtual clock.
class FileTransferModuleTest : public ::testing::Test {
 protected:
  FileTransferModuleTest(uint8_t modelId, Generation generation)
      : display_(modelId, 0), files_(display_.add<FileTransfer>(generation)) {
    display_.add<Identification>();
  }

  QrTest::ScopedVirtualClock clock_;
  QrTest::TempDir dir_;
  Display display_;
  FileTransfer& files_;
  EmulatedPort port_{display_, &*clock_};
};

class LegacyFileSystemOnEmulator : public FileTransferModuleTest {
 protected:
  LegacyFileSystemOnEmulator() : FileTransferModuleTest(116, Generation::Legacy) {}
  QrCom::BrailleSystemVersion2005FileTransferStrategy strategy_;
};

class CurrentFileSystemOnEmulator : public FileTransferModuleTest {
 protected:
  CurrentFileSystemOnEmulator() : FileTransferModuleTest(84, Generation::Current) {}
  QrCom::QrBrlOsVersion102FileTransferStrategy strategy_{84};
};

TEST_F(LegacyFileSystemOnEmulator, FilesGoAndComeBackByContent) {
  const std::string content = pattern(5000);
  strategy_.receiveFile(port_, nullptr, dir_.write(L"up", content), L"A.TXT", 0, 1, nullptr);
  {
    auto guard = display_.lock();
    EXPECT_EQ(fileContent(files_.files().find("A.TXT")), content);
    EXPECT_EQ(files_.files().find("A.TXT")->attribute, 1);
  }
  strategy_.sendFile(port_, nullptr, L"A.TXT", dir_.path(L"down"), content.size(), nullptr);
  EXPECT_EQ(dir_.read(L"down"), content);

  strategy_.receiveFile(port_, nullptr, dir_.write(L"empty", ""), L"E", 0, 1, nullptr);
  strategy_.renameFile(port_, L"E", L"F");
  std::vector<QrCom::DirectoryEntry> list;
  EXPECT_EQ(strategy_.sendFileList(port_, list), 2u);
  EXPECT_EQ(list[0].path(), L"A.TXT");
  EXPECT_EQ(list[0].size(), 5000u);
  EXPECT_EQ(list[1].path(), L"F");

  uint64_t total = 0;
  uint64_t free = 0;
  strategy_.sendDiskSpace(port_, total, free);
  EXPECT_EQ(total, FileTransfer::kDefaultCapacity);
  EXPECT_EQ(free, FileTransfer::kDefaultCapacity - 5000);

  strategy_.deleteFile(port_, L"A.TXT");
  auto guard = display_.lock();
  EXPECT_EQ(files_.files().find("A.TXT"), nullptr);
}

TEST_F(LegacyFileSystemOnEmulator, DeviceErrorsOnDemand) {
  const std::wstring source = dir_.write(L"up", pattern(400));
  const std::wstring upload = L"BrailleSystemVersion2000FileTransferStrategy::receiveFile -- ";
  {
    auto guard = display_.lock();
    files_.faults().nakAt = 4;  // disk space, 03, header, then the first block's 03
    files_.faults().nakCode = 23;
  }
  EXPECT_TRUE(failsWith<QrCom::TransmissionCanceledByUserException>(
      [&] { strategy_.receiveFile(port_, nullptr, source, L"A", 0, 1, nullptr); },
      upload + L"Transmission canceled by user (PC side)."));
  {
    auto guard = display_.lock();
    files_.faults().nakAt = 1;
    files_.faults().nakCode = 77;
  }
  EXPECT_TRUE(failsWith<QrCom::ErrorInProtocolException>(
      [&] { strategy_.receiveFile(port_, nullptr, source, L"A", 0, 1, nullptr); },
      L"BrailleSystemVersion2000FileTransferStrategy::sendDiskSpace --  No detailled "
      L"description available."));
  display_.lock(), files_.faults().wrongAck = true;
  EXPECT_TRUE(failsWith<QrCom::WrongCommandConfirmedException>(
      [&] { strategy_.deleteFile(port_, L"A"); },
      L"BrailleSystemVersion2005FileTransferStrategy::deleteFile --  Wrong command byte "
      L"received."));
  EXPECT_TRUE(failsWith<QrCom::FileNotFoundOnDeviceException>(
      [&] { strategy_.sendFile(port_, nullptr, L"A", dir_.path(L"down"), 0, nullptr); },
      L"BrailleSystemVersion2000FileTransferStrategy::sendFile -- File not found on device."));
  EXPECT_FALSE(dir_.exists(L"down"));
  auto guard = display_.lock();
  EXPECT_EQ(files_.files().find("A"), nullptr) << "nothing stored from a broken upload";
}

TEST_F(LegacyFileSystemOnEmulator, DeviceCancelsADownload) {
  strategy_.receiveFile(port_, nullptr, dir_.write(L"up", pattern(400)), L"A", 0, 1, nullptr);
  display_.lock(), files_.faults().cancelAtBlock = 3;
  EXPECT_TRUE(failsWith<QrCom::TransmissionCanceledByUserException>(
      [&] { strategy_.sendFile(port_, nullptr, L"A", dir_.path(L"down"), 400, nullptr); },
      L"BrailleSystemVersion2000FileTransferStrategy::sendFile -- Transmission canceled by user "
      L"(device side)."));
  EXPECT_FALSE(dir_.exists(L"down"));
  // The display is ready for the next exchange.
  strategy_.sendFile(port_, nullptr, L"A", dir_.path(L"down"), 400, nullptr);
  EXPECT_EQ(dir_.read(L"down"), pattern(400));
}

TEST_F(LegacyFileSystemOnEmulator, TooLittleRoomIsFoundBeforeSending) {
  Display display(116, 0);
  auto& small = display.add<FileTransfer>(Generation::Legacy, 100);
  EmulatedPort port(display, &*clock_);
  const std::wstring source = dir_.write(L"up", pattern(101));
  EXPECT_TRUE(failsWith<QrCom::NotEnoughMemoryException>(
      [&] { strategy_.receiveFile(port, nullptr, source, L"A", 0, 1, nullptr); },
      L"BrailleSystemVersion2000FileTransferStrategy::receiveFile -- Not enough disk space for "
      L"file " +
          source + L"."));
  auto guard = display.lock();
  EXPECT_EQ(small.files().used(), 0u);
}

TEST_F(CurrentFileSystemOnEmulator, DirectoriesPathsAndTimeStamps) {
  strategy_.makePath(port_, L"/QRSYS/LANGUAGE");
  const std::wstring source = dir_.write(L"de", pattern(2000));
  strategy_.receiveFile(port_, nullptr, source, L"de.lng", 0, 1, nullptr);
  strategy_.makePath(port_, L"/QRSYS/TUTORIALS");
  strategy_.changeDirectory(port_, L"/QRSYS");

  std::vector<QrCom::DirectoryEntry> folders;
  EXPECT_EQ(strategy_.sendFolderList(port_, folders), 2u);
  EXPECT_EQ(folders[0].path(), L"/QRSYS/LANGUAGE");
  EXPECT_TRUE(folders[0].isFolder());
  EXPECT_EQ(folders[1].displayName(), L"/TUTORIALS");

  strategy_.changeDirectory(port_, L"LANGUAGE");
  std::vector<QrCom::DirectoryEntry> files;
  EXPECT_EQ(strategy_.sendFileList(port_, files), 1u);
  EXPECT_EQ(files[0].path(), L"LANGUAGE/de.lng");  // the folder as it was named last
  EXPECT_EQ(files[0].size(), 2000u);
  QrCom::CalendarTime written;
  ASSERT_TRUE(QrCom::getFileTime(source.c_str(), &written));
  EXPECT_EQ(files[0].time().year, written.year);
  EXPECT_EQ(files[0].time().minute, written.minute);

  strategy_.sendFile(port_, nullptr, L"/QRSYS/LANGUAGE/de.lng", dir_.path(L"down"), 2000, nullptr);
  EXPECT_EQ(dir_.read(L"down"), pattern(2000));
  auto guard = display_.lock();
  EXPECT_EQ(fileContent(files_.files().find("/QRSYS/LANGUAGE/de.lng")), pattern(2000));
  EXPECT_TRUE(files_.files().isFolder("/QRSYS/TUTORIALS"));
}

TEST_F(CurrentFileSystemOnEmulator, UnknownFolderIsCode29) {
  EXPECT_TRUE(failsWith<QrCom::CannotChangeToDirectoryException>(
      [&] { strategy_.changeDirectory(port_, L"/NONE"); },
      L"QrBrlOsFileTransferStrategy::ChangeDirectory -- invalid folder specified."));
  EXPECT_TRUE(failsWith<QrCom::ErrorOnDeviceException>(
      [&] {
        strategy_.receiveFile(port_, nullptr, dir_.write(L"up", "x"), L"/NONE/X", 0, 1, nullptr);
      },
      L"QrBrlOsFileTransferStrategy::doReceiveFile -- Cannot open temp file."));
}

TEST(RateSwitchModuleTest, AcknowledgesTheThreeRates) {
  QrTest::ScopedVirtualClock clock;
  Display display(0x74, 2);
  auto& rates = display.add<RateSwitch>();
  display.receive({0x79, 0x74, 0x02, 0x0D, 0x11, 0x16});
  EXPECT_EQ(display.takeDue(), (Bytes{0x79, 0x74, 0x02, 0x07, 0x7E, 0x16}));
  display.receive({0x79, 0x74, 0x02, 0x0D, 0x12, 0x16});
  EXPECT_TRUE(display.takeDue().empty());
  display.lock(), rates.setRefusing(true);
  display.receive({0x79, 0x74, 0x02, 0x0D, 0x19, 0x16});
  EXPECT_EQ(display.takeDue(), (Bytes{0x79, 0x74, 0x02, 0x07, 0x00, 0x16}));
}

}  // namespace
}  // namespace QrEmu
