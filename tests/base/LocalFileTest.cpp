#include <gtest/gtest.h>

#include <regex>

#include "qrcom/base/NativeFile.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"

namespace QrCom {
namespace {

TEST(LocalFileTest, MisusesFailWithTheirTextsLinesAndTimes) {
  QrTest::TempDir dir;
  const std::wstring quoted = L"\"" + dir.write(L"in.txt", "hello") + L"\"";
  const std::wstring missing = L"\"" + dir.path(L"missing.txt") + L"\"";
  const std::wstring out = dir.write(L"out.bin", "old content"), gone = dir.write(L"gone", "");
  NativeFile reading(quoted, kFileRead), writing(out, kFileWrite), erased(gone, kFileRead);
  uint8_t buffer[16] = {};
  EXPECT_EQ(reading.readBuffer(buffer, 16), 5);  // opened without the quotes
  erased.erase();
  // "File" for this platform's class (PosixFile, WinFile).
  const std::wstring open = L"File::File -- Cannot open file ";
  const std::pair<std::function<void()>, std::wstring> cases[] = {
      {[&] { (void)NativeFile(missing, kFileRead); }, open + missing + L" in read-Mode."},
      {[&] { writing.readBuffer(buffer, 4); }, L"File::readBuffer --  Can't read from file " + out +
                                                   L". File is opened with writeonly-flag."},
      {[&] { reading.writeBuffer(buffer, 1); },
       L"File::writeBuffer --  Can't write to file " + quoted + L". File is opened readonly."},
      {[&] { erased.readBuffer(buffer, 4); },
       L"File::readBuffer --  File " + gone + L" was erased."},
  };
  const std::wregex platform(L"\\b(Posix|Win)File::(Posix|Win)?");
  for (const auto& [operation, message] : cases)
    EXPECT_EQ(std::regex_replace(QrTest::failureOf(operation), platform, L"File::"), message);
  EXPECT_FALSE(dir.exists(L"gone"));
  // Lines end after a line feed, at the capacity or at the end of the file.
  NativeFile file(dir.write(L"lines.txt", "ab\r\ncd"), kFileRead);
  char data[8] = {};
  std::string lines;
  for (int capacity : {3, 8, 8, 8}) {
    const int32_t length = file.getLine(data, capacity);
    lines += std::string(data, static_cast<size_t>(length)) + "|";
  }
  EXPECT_EQ(lines, "ab\r|\n|cd||");
}

}  // namespace
}  // namespace QrCom
