#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FileSystem.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

TEST(FileSystemPosixTest, FilesAreListedInCaseInsensitiveNameOrder) {
  QrTest::TempDir dir;
  for (const wchar_t* name : {L"MSG.QSF", L"config.qsf", L"a_b.QSF", L"ab.QSF"}) {
    dir.write(name, "x");
  }
  std::vector<std::wstring> names;
  for (const FoundFile& file : listFiles(dir.path())) names.push_back(file.name);
  // Upper-cased names are compared, so "_" sorts after the letters as on Windows.
  EXPECT_EQ(names, (std::vector<std::wstring>{L"ab.QSF", L"a_b.QSF", L"config.qsf", L"MSG.QSF"}));
}

}  // namespace
}  // namespace QrApp
