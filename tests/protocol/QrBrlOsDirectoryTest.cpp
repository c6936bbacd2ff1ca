#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/QrBrlOsFileTransferStrategy.h"
#include "tests/support/Conversation.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

using QrTest::Bytes;
using QrTest::Conversation;
using QrTest::failsWith;
using QrTest::ScriptedPort;
using QrTest::toHex;

constexpr char kFolderNak[] = "15 1D";  // NAK 29, invalid folder
constexpr char kAgreed[] = "06 16";

// The frame of a name command: length, name, command byte, SYNC.
std::string frame(const std::string& name, const std::string& command) {
  const size_t length = name.size() + 1;
  return toHex({static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)}) + " " +
         toHex(Bytes(name.begin(), name.end())) + " " + command + " 16";
}

void change(Conversation& device, const std::string& name, const std::string& answer) {
  device.step("27", "06 27").step(frame(name, "27"), answer);
}

void make(Conversation& device, const std::string& name, const std::string& answer) {
  device.step("26", "06 26").step(frame(name, "26"), answer);
}

class QrBrlOsDirectoryTest : public ::testing::Test {
 protected:
  // The path the next file list gives a record named N.
  std::wstring listedPath() {
    ScriptedPort port;
    Conversation device(port);
    device.step("20", "06 20 03")
        .step("06 03", "13 00 1C 01 4E 00 07 E8 05 01 0E 05 21 00 00 00 00 00 00 00 00 16")
        .step("06 16", "04");
    std::vector<DirectoryEntry> list;
    strategy_.sendFileList(port, list);
    return list.empty() ? L"(none)" : list[0].path();
  }

  ScriptedPort port_;
  Conversation device_{port_};
  QrBrlOsFileTransferStrategy strategy_{0x54};
};

TEST_F(QrBrlOsDirectoryTest, MakePathOnAnExistingPathIsOneChange) {
  change(device_, "/QRSYS/LANGUAGE", kAgreed);
  strategy_.makePath(port_, L"/QRSYS/LANGUAGE");
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(listedPath(), L"/QRSYS/LANGUAGE/N");
}

TEST_F(QrBrlOsDirectoryTest, MakePathMakesEachMissingSegment) {
  change(device_, "/QRSYS/LANGUAGE", kFolderNak);
  change(device_, "/QRSYS", kFolderNak);
  make(device_, "/QRSYS", kAgreed);
  change(device_, "/QRSYS", kAgreed);
  change(device_, "LANGUAGE", kFolderNak);
  make(device_, "LANGUAGE", kAgreed);
  change(device_, "LANGUAGE", kAgreed);
  strategy_.makePath(port_, L"/QRSYS/LANGUAGE");
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(listedPath(), L"LANGUAGE/N");
}

TEST_F(QrBrlOsDirectoryTest, MakePathSkipsSegmentsThatExist) {
  change(device_, "/QRSYS/TUTORIALS/", kFolderNak);
  change(device_, "/QRSYS", kAgreed);
  change(device_, "TUTORIALS", kFolderNak);
  make(device_, "TUTORIALS", kAgreed);
  change(device_, "TUTORIALS", kAgreed);
  strategy_.makePath(port_, L"/QRSYS/TUTORIALS/");
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsDirectoryTest, MakePathPassesOnFailuresOfMakeAndChange) {
  change(device_, "/A", kFolderNak);
  change(device_, "/A", kFolderNak);
  make(device_, "/A", "15 0E");
  EXPECT_TRUE(failsWith<ErrorOnDeviceException>(
      [&] { strategy_.makePath(port_, L"/A"); },
      L"QrBrlOsFileTransferStrategy::makeDirectory -- Cannot write to file."));
  EXPECT_TRUE(device_.finished());

  ScriptedPort port;
  Conversation device(port);
  change(device, "/A", kFolderNak);
  change(device, "/A", kFolderNak);
  make(device, "/A", kAgreed);
  change(device, "/A", kFolderNak);
  EXPECT_TRUE(failsWith<CannotChangeToDirectoryException>(
      [&] { strategy_.makePath(port, L"/A"); },
      L"QrBrlOsFileTransferStrategy::ChangeDirectory -- invalid folder specified."));
  EXPECT_TRUE(device.finished());
}

TEST_F(QrBrlOsDirectoryTest, MakePathLimits) {
  const std::wstring tooLong = L"/" + std::wstring(260, L'D');
  EXPECT_TRUE(failsWith<PathTooLongException>(
      [&] { strategy_.makePath(port_, tooLong); },
      L"QrBrlOsFileTransferStrategy::makePath -- " + tooLong + L" this path is too long."));
  strategy_.makePath(port_, L"");
  EXPECT_TRUE(port_.calls().empty());
}

TEST_F(QrBrlOsDirectoryTest, CancelDuringMakePathStopsTheWalk) {
  change(device_, "/QRSYS/LANGUAGE", kFolderNak);
  change(device_, "/QRSYS", kFolderNak);
  device_.then([&] { strategy_.cancel(); });
  strategy_.makePath(port_, L"/QRSYS/LANGUAGE");
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsDirectoryTest, ChangeFailuresAreAllCannotChangeToDirectory) {
  change(device_, "/QRSYS", kAgreed);
  change(device_, "/NONE", "15 18");  // file not found
  strategy_.changeDirectory(port_, L"/QRSYS");
  EXPECT_EQ(listedPath(), L"/QRSYS/N");
  EXPECT_TRUE(failsWith<CannotChangeToDirectoryException>(
      [&] { strategy_.changeDirectory(port_, L"/NONE"); }, L""));
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(listedPath(), L"/N") << "a failed change forgets the directory";

  EXPECT_TRUE(failsWith<CannotChangeToDirectoryException>(
      [&] { strategy_.changeDirectory(port_, L""); }, L""));
  EXPECT_TRUE(failsWith<CannotChangeToDirectoryException>(
      [&] { strategy_.changeDirectory(port_, std::wstring(261, L'D')); }, L""));
  EXPECT_TRUE(device_.finished());
}

TEST_F(QrBrlOsDirectoryTest, APathOfBlanksGoesOutEmptyAndItsRefusalForgetsTheDirectory) {
  change(device_, "/QRSYS", kAgreed);
  change(device_, "", kFolderNak);
  strategy_.changeDirectory(port_, L"/QRSYS");
  EXPECT_TRUE(failsWith<CannotChangeToDirectoryException>(
      [&] { strategy_.changeDirectory(port_, L" \t"); },
      L"QrBrlOsFileTransferStrategy::ChangeDirectory -- invalid folder specified."));
  EXPECT_TRUE(device_.finished());
  EXPECT_EQ(listedPath(), L"/N");
}

TEST_F(QrBrlOsDirectoryTest, MakeDirectoryFailuresPassUnchanged) {
  make(device_, "D", "15 13");
  EXPECT_TRUE(failsWith<FileAlreadyExistsOnDeviceException>(
      [&] { strategy_.makeDirectory(port_, L"D"); },
      L"QrBrlOsFileTransferStrategy::makeDirectory -- File already exists on device"));
  EXPECT_TRUE(failsWith<IllegalSourceFileNameException>(
      [&] { strategy_.makeDirectory(port_, L""); },
      L"QrBrlOsV30FileTransferStrategy::getTargetFileName -- SourceFileName is empty."));
  EXPECT_TRUE(device_.finished());
}

}  // namespace
}  // namespace QrCom
