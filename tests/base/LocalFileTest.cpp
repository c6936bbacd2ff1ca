#include <gtest/gtest.h>

#include <string>

#include "qrcom/base/NativeFile.h"
#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

#ifdef _WIN32
const std::wstring kClass = L"WinFile";
#else
const std::wstring kClass = L"PosixFile";
#endif

using QrTest::failureOf;

class LocalFileTest : public ::testing::Test {
 protected:
  QrTest::TempDir dir;
};

TEST_F(LocalFileTest, QuotedPathOpensTheUnquotedFileButMessagesKeepTheQuotes) {
  const std::wstring path = dir.write(L"quoted.txt", "hello");
  NativeFile file(L"\"" + path + L"\"", kFileRead);
  uint8_t buffer[16] = {};
  EXPECT_EQ(file.readBuffer(buffer, 16), 5);

  const std::wstring missing = L"\"" + dir.path(L"missing.txt") + L"\"";
  EXPECT_EQ(failureOf([&] {
              NativeFile{missing, kFileRead};
            }),
            kClass + L"::" + kClass + L" -- Cannot open file " + missing + L" in read-Mode.");
}

TEST_F(LocalFileTest, OpenFailureNamesTheMode) {
  const std::wstring inMissingFolder = dir.path(L"no-such-folder/x.bin");
  EXPECT_EQ(
      failureOf([&] {
        NativeFile{inMissingFolder, kFileWrite};
      }),
      kClass + L"::" + kClass + L" -- Cannot open file " + inMissingFolder + L" in write-Mode.");
}

TEST_F(LocalFileTest, WriteModeCreatesOrTruncatesAndRefusesReading) {
  const std::wstring path = dir.write(L"out.bin", "old content that is long");
  {
    NativeFile file(path, kFileWrite);
    const uint8_t data[] = {1, 2, 3};
    EXPECT_EQ(file.writeBuffer(data, 3), 3);
    uint8_t buffer[4];
    EXPECT_EQ(failureOf([&] { file.readBuffer(buffer, 4); }),
              kClass + L"::readBuffer --  Can't read from file " + path +
                  L". File is opened with writeonly-flag.");
  }
  EXPECT_EQ(dir.read(L"out.bin"), std::string("\x01\x02\x03"));
}

TEST_F(LocalFileTest, WritingToAFileOpenedForReadingWritesNothing) {
  const std::wstring path = dir.write(L"readonly.txt", "keep");
  {
    NativeFile file(path, kFileRead);
    const uint8_t data[] = {'x'};
    EXPECT_EQ(
        failureOf([&] { file.writeBuffer(data, 1); }),
        kClass + L"::writeBuffer --  Can't write to file " + path + L". File is opened readonly.");
    EXPECT_EQ(file.getSize(), 4);
  }
  EXPECT_EQ(dir.read(L"readonly.txt"), "keep");
}

TEST_F(LocalFileTest, EraseDeletesAndEveryLaterUseFails) {
  const std::wstring path = dir.write(L"gone.txt", "data");
  NativeFile file(path, kFileRead);
  file.erase();
  EXPECT_FALSE(dir.exists(L"gone.txt"));
  uint8_t buffer[4];
  const std::wstring erased = L" File " + path + L" was erased.";
  EXPECT_EQ(failureOf([&] { file.readBuffer(buffer, 4); }), kClass + L"::readBuffer -- " + erased);
  EXPECT_EQ(failureOf([&] { file.writeBuffer(buffer, 4); }),
            kClass + L"::writeBuffer -- " + erased);
  EXPECT_EQ(failureOf([&] { file.erase(); }), kClass + L"::erase -- " + erased);
}

TEST_F(LocalFileTest, GetLineStopsAfterLineFeedOrAtCapacity) {
  const std::wstring path = dir.write(L"lines.txt", "ab\r\ncd");
  char data[8] = {};
  {
    NativeFile file(path, kFileRead);
    EXPECT_EQ(file.getLine(data, 4), 4);
    EXPECT_EQ(std::string(data, 4), "ab\r\n");
    EXPECT_EQ(file.getLine(data, 8), 2);  // the end of the file ends the last line
    EXPECT_EQ(std::string(data, 2), "cd");
    EXPECT_EQ(file.getLine(data, 8), 0);
  }
  NativeFile file(path, kFileRead);
  EXPECT_EQ(file.getLine(data, 3), 3);
  EXPECT_EQ(std::string(data, 3), "ab\r");
}

TEST_F(LocalFileTest, FileTimeOfExistingAndMissingFiles) {
  const std::wstring path = dir.write(L"timed.txt", "x");
  CalendarTime time;
  EXPECT_TRUE(getFileTime(path.c_str(), &time));
  EXPECT_GE(time.year, 2020);
  EXPECT_GE(time.month, 1);
  EXPECT_LE(time.month, 12);
  EXPECT_FALSE(getFileTime(dir.path(L"missing").c_str(), &time));
  EXPECT_FALSE(getFileTime(nullptr, &time));
}

}  // namespace
}  // namespace QrCom
