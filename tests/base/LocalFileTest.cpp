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

TEST(LocalFileTest, EachMisuseFailsWithItsText) {
  QrTest::TempDir dir;
  const std::wstring quoted = L"\"" + dir.write(L"quoted.txt", "hello") + L"\"";
  uint8_t buffer[16] = {};
  EXPECT_EQ(NativeFile(quoted, kFileRead).readBuffer(buffer, 16), 5);  // opened unquoted
  const std::wstring missing = L"\"" + dir.path(L"missing.txt") + L"\"";
  const std::wstring inMissingFolder = dir.path(L"no-such-folder/x.bin");
  const std::wstring path = dir.write(L"out.bin", "old content that is long");
  NativeFile writing(path, kFileWrite);
  NativeFile reading(quoted, kFileRead);
  const std::wstring open = kClass + L"::" + kClass + L" -- Cannot open file ";
  const std::pair<std::function<void()>, std::wstring> cases[] = {
      {[&] {
         NativeFile{missing, kFileRead};
       },
       open + missing + L" in read-Mode."},
      {[&] {
         NativeFile{inMissingFolder, kFileWrite};
       },
       open + inMissingFolder + L" in write-Mode."},
      {[&] { writing.readBuffer(buffer, 4); }, kClass + L"::readBuffer --  Can't read from file " +
                                                   path + L". File is opened with writeonly-flag."},
      {[&] { reading.writeBuffer(buffer, 1); },
       kClass + L"::writeBuffer --  Can't write to file " + quoted + L". File is opened readonly."},
  };
  for (const auto& [operation, message] : cases) EXPECT_EQ(failureOf(operation), message);
  EXPECT_EQ(writing.writeBuffer(buffer, 3), 3);
  EXPECT_EQ(dir.read(L"out.bin"), "hel");  // truncated
  EXPECT_EQ(reading.getSize(), 5);
  EXPECT_EQ(dir.read(L"quoted.txt"), "hello");
}

TEST(LocalFileTest, EraseDeletesAndEveryLaterUseFails) {
  QrTest::TempDir dir;
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

TEST(LocalFileTest, GetLineStopsAfterLineFeedOrAtCapacity) {
  QrTest::TempDir dir;
  const std::wstring path = dir.write(L"lines.txt", "ab\r\ncd");
  char data[8] = {};
  NativeFile file(path, kFileRead);
  EXPECT_EQ(file.getLine(data, 3), 3);
  EXPECT_EQ(std::string(data, 3), "ab\r");
  EXPECT_EQ(file.getLine(data, 8), 1);
  EXPECT_EQ(file.getLine(data, 8), 2);  // the end of the file ends the last line
  EXPECT_EQ(std::string(data, 2), "cd");
  EXPECT_EQ(file.getLine(data, 8), 0);

  CalendarTime time;
  EXPECT_TRUE(getFileTime(path.c_str(), &time));
  EXPECT_GE(time.year, 2020);
  EXPECT_FALSE(getFileTime(dir.path(L"missing").c_str(), &time));
  EXPECT_FALSE(getFileTime(nullptr, &time));
}

}  // namespace
}  // namespace QrCom
