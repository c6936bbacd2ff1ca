#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Services.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::claimedServices;
using QrTest::Conversation;
using QrTest::eachFailsAsNotSupported;
using QrTest::failsAsNotSupported;
using QrTest::failsWith;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr wchar_t k2000[] = L"BrailleSystemVersion2000FileTransferStrategy::";
constexpr wchar_t k2005[] = L"BrailleSystemVersion2005FileTransferStrategy::";

// A.TXT, 2024-05-01 14:05:33, 256 bytes; the byte after the name means nothing.
constexpr char kATxt[] = "1C 05 41 2E 54 58 54 99 07 E8 05 01 0E 05 21 00 00 01 00";
// B, 1999-12-31 23:59:58, 0x01020304 bytes.
constexpr char kB[] = "1C 01 42 00 07 CF 0C 1F 17 3B 3A 01 02 03 04";

// The list exchange of `data` sent in blocks of the given sizes.
void scriptLegacyList(Conversation& device, const std::string& data, std::vector<size_t> sizes) {
  const Bytes bytes = QrTest::hex(data);
  size_t at = 0;
  device.step("", "06 20 03");
  for (size_t size : sizes) {
    const Bytes part(bytes.begin() + at, bytes.begin() + at + size);
    at += size;
    device.step("06 03", toHex({static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)}) +
                             " " + toHex(part) + " 16");
    device.step("06 16", at == bytes.size() ? "04" : "03");
  }
}

class LegacyFileSystemTest : public ::testing::Test {
 protected:
  ScriptedPort port_;
  Conversation device_{port_};
  BrailleSystemVersion2000FileTransferStrategy v2000_;
  BrailleSystemVersion2005FileTransferStrategy v2005_;
  std::vector<DirectoryEntry> list_;
};

TEST_F(LegacyFileSystemTest, ListThatEndsAtOnceKeepsThePreviousCount) {
  list_.emplace_back(L"OLD", 0, EntryTime{}, 1);
  list_.emplace_back(L"OLDER", 0, EntryTime{}, 1);
  device_.step("20", "06 20 04");
  EXPECT_EQ(v2000_.sendFileList(port_, list_), 2u);
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyFileSystemTest, ListRecordsMaySpanBlocks) {
  device_.step("20");
  scriptLegacyList(device_, std::string(kATxt) + " " + kB, {10, 24});
  list_.emplace_back(L"OLD", 0, EntryTime{}, 1);
  EXPECT_EQ(v2000_.sendFileList(port_, list_), 3u);
  EXPECT_TRUE(device_.finished());

  const DirectoryEntry& a = list_[1];
  EXPECT_EQ(a.path(), L"A.TXT");
  EXPECT_EQ(a.directory(), L"");
  EXPECT_FALSE(a.isFolder());
  EXPECT_EQ(a.flags(), 0u);
  EXPECT_EQ(a.size(), 256u);
  EXPECT_EQ(a.time().year, 2024);
  EXPECT_EQ(a.time().month, 5);
  EXPECT_EQ(a.time().day, 1);
  EXPECT_EQ(a.time().hour, 14);
  EXPECT_EQ(a.time().minute, 5);
  EXPECT_EQ(a.time().second, 33);
  const DirectoryEntry& b = list_[2];
  EXPECT_EQ(b.path(), L"B");
  EXPECT_EQ(b.size(), 0x01020304u);
  EXPECT_EQ(b.time().year, 1999);
}

TEST_F(LegacyFileSystemTest, AListMayComeInOneBlockOfAnyLength) {
  std::string data = kATxt;
  for (int more = 0; more < 5; ++more) data += std::string(" ") + kATxt;
  device_.step("20");
  scriptLegacyList(device_, data, {6 * 19});
  EXPECT_EQ(v2000_.sendFileList(port_, list_), 6u);
  EXPECT_TRUE(device_.finished());
}

TEST_F(LegacyFileSystemTest, MalformedListsAddNothing) {
  const std::wstring prefix = std::wstring(k2000) + L"sendFileList -- ";
  struct Case {
    std::string data;
    const wchar_t* text;
  };
  const std::string longName =
      "1C 41 " + toHex(Bytes(65, 'N')) + " 00 07 E8 05 01 0E 05 21 00 00 00 01";
  for (const Case& bad : {
           Case{std::string(kATxt) + " 1D",
                L"Error while parsing fileListBuffer. Missing BEGIN_OF_FILE."},
           Case{std::string(kATxt) + " 1C",
                L"Error while parsing fileListBuffer. Record runs past the end."},
           Case{std::string(kATxt) + " 1C 01 42 00 07",
                L"Error while parsing fileListBuffer. Record runs past the end."},
           Case{longName, L"Error while parsing fileListBuffer. Name too long."},
       }) {
    ScriptedPort port;
    Conversation device(port);
    const size_t size = QrTest::hex(bad.data).size();
    device.step("20");
    std::vector<size_t> sizes;
    for (size_t at = 0; at < size; at += 80) sizes.push_back(std::min<size_t>(80, size - at));
    scriptLegacyList(device, bad.data, sizes);
    EXPECT_TRUE(failsWith<ErrorInProtocolException>([&] { v2000_.sendFileList(port, list_); },
                                                    prefix + bad.text));
    EXPECT_TRUE(device.finished());
    EXPECT_TRUE(list_.empty());
  }
}

TEST_F(LegacyFileSystemTest, MalformedListBlocks) {
  const std::wstring prefix = std::wstring(k2000) + L"sendFileList -- ";
  struct Case {
    const char* announce;
    const char* block;  // after the PC's 06 03; none when empty
    const wchar_t* text;
  };
  for (const Case& bad : {Case{"05", "", L"Missing RECEIVE_DATA_BLOCK."},
                          Case{"03", "02 00 1C", L"Wrong number of data bytes(page frame error)."},
                          Case{"03", "01 00 1C 04", L"Missing SYNC."}}) {
    ScriptedPort port;
    Conversation device(port);
    device.step("20", std::string("06 20 ") + bad.announce);
    if (*bad.block != '\0') device.step("06 03", bad.block);
    EXPECT_TRUE(failsWith<ErrorInProtocolException>([&] { v2000_.sendFileList(port, list_); },
                                                    prefix + bad.text));
    EXPECT_TRUE(device.finished());
  }
}

TEST_F(LegacyFileSystemTest, DiskSpaceIsTwoBigEndianFigures) {
  device_.step("25", "06 25 00 10 00 00 00 00 80 01 16").step("06 16");
  uint64_t total = 0;
  uint64_t free = 0;
  v2000_.sendDiskSpace(port_, total, free);
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(port_.calls()[0].type, ScriptedPort::Call::Purge);
  EXPECT_EQ(total, 0x100000u);
  EXPECT_EQ(free, 0x8001u);

  ScriptedPort port;
  Conversation device(port);
  device.step("25", "06 25 00 10 00 00 00 00 80 01 17");
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { v2000_.sendDiskSpace(port, total, free); },
      std::wstring(k2000) + L"sendDiskSpace -- Missing SYNC in transaction GET_DISK_SPACE."));
  EXPECT_TRUE(device.finished());
}

TEST_F(LegacyFileSystemTest, DeleteAndRename) {
  device_.step("23", "06 23")
      .step("06 00 41 2E 54 58 54 23 16", "06 16")
      .step("22", "06 22")
      .step("06 00 41 2E 54 58 54 22 16", "06 16")
      .step("22", "06 22")
      .step("02 00 42 22 16", "06 16");
  v2005_.deleteFile(port_, L"A.TXT");
  v2005_.renameFile(port_, L"A.TXT", L"B");
  EXPECT_TRUE(device_.finished());

  ScriptedPort port;
  Conversation device(port);
  device.step("23", "06 23").step("06 00 41 2E 54 58 54 23 16", "15 19");
  EXPECT_TRUE(failsWith<ErrorInProtocolException>(
      [&] { v2005_.deleteFile(port, L"A.TXT"); },
      std::wstring(k2005) + L"deleteFile --  No detailled description available."));
  EXPECT_TRUE(device.finished());

  const std::wstring huge(0x10000, L'N');
  EXPECT_TRUE(failsWith<InvalidArgumentException>(
      [&] { v2005_.renameFile(port, L"A", huge); },
      std::wstring(k2005) + L"renameFile -- Frame exceeds 65535 bytes."));
  EXPECT_EQ(port.written().size(), device.hostBytes().size()) << "nothing sent for the rename";
}

TEST_F(LegacyFileSystemTest, OperationsTheGenerationsLack) {
  const std::wstring v2000 = k2000;
  EXPECT_TRUE(eachFailsAsNotSupported({
      {[&] { v2000_.makeDirectory(port_, L"D"); }, v2000 + L"deleteFile -- "},
      {[&] { v2000_.changeDirectory(port_, L"D"); }, v2000 + L"changeDirectory -- "},
      {[&] { v2000_.makePath(port_, L"/D"); }, v2000 + L"makePath -- "},
      {[&] { v2000_.sendFolderList(port_, list_); }, v2000 + L"sendFolderList -- "},
      {[&] { v2000_.deleteFile(port_, L"A"); }, v2000 + L"deleteFile -- "},
      {[&] { v2000_.renameFile(port_, L"A", L"B"); }, v2000 + L"renameFile -- "},
      {[&] { v2005_.sendFolderList(port_, list_); }, std::wstring(k2005) + L"sendFolderList -- "},
      {[&] { v2005_.makePath(port_, L"/D"); }, v2000 + L"makePath -- "},
  }));

  BrailleSystemVersion20010FileTransferStrategy v20010(0x74);
  for (FileTransferStrategy* strategy :
       std::initializer_list<FileTransferStrategy*>{&v2000_, &v2005_, &v20010}) {
    EXPECT_TRUE(eachFailsAsNotSupported({
        {[&] { strategy->checkMassStorageProtocolActive(port_); },
         L"NoMassStorageProtocolStrategy::checkMassStorageProtocolActive -- "},
        {[&] { strategy->lockMassStorageProtocol(port_); },
         L"NoMassStorageProtocolStrategy::lockMassStorageProtocol -- "},
        {[&] { strategy->releaseMassStorageProtocol(port_); },
         L"NoMassStorageProtocolStrategy::sendFileList -- "},
    }));
    EXPECT_FALSE(strategy->usesPocketReaderProtocol());
  }
  EXPECT_TRUE(port_.written().empty());
}

TEST_F(LegacyFileSystemTest, ServicesAndClones) {
  const BrailleSystemVersion20010FileTransferStrategy v20010(0x74);
  EXPECT_EQ(claimedServices(v2000_), "4 5 6 7 8 15");
  EXPECT_EQ(claimedServices(v2005_), "4 5 6 7 8 9 10 15");
  EXPECT_EQ(claimedServices(v20010), "4 5 6 7 8 9 10 15 18 20");

  EXPECT_NE(dynamic_cast<BrailleSystemVersion2005FileTransferStrategy*>(v2005_.clone().get()),
            nullptr);
  EXPECT_EQ(dynamic_cast<BrailleSystemVersion2005FileTransferStrategy*>(v2000_.clone().get()),
            nullptr);
  EXPECT_NE(dynamic_cast<BrailleSystemVersion20010FileTransferStrategy*>(v20010.clone().get()),
            nullptr);
}

}  // namespace
}  // namespace QrCom
