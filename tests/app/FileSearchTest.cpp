#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/FileSearch.h"
#include "app/NamePattern.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

using Names = std::vector<std::wstring>;

TEST(FileSearchTest, PackagePatternsFindTheirFilesWithoutCase) {
  QrTest::TempDir dir;
  for (const wchar_t* name : {L"MSG.QSF", L"config.qsf", L"a_b.QSF", L"ab.QSF", L"de_hangman.lst",
                              L"EN_HANGMAN.LST", L"hangman.lst", L"demo", L"Demo.txt",
                              L"demonstration.txt", L"fw.h00", L"fw.h01", L"a.h001"}) {
    dir.write(name, "data");
  }
  std::filesystem::create_directory(QrTest::toFsPath(dir.path(L"folder.QSF")));
  // In name order: the order of the search is the platform's.
  const auto names = [&dir](const std::wstring& pattern) {
    Names found;
    for (const FoundFile& file : findFiles(dir.path(), pattern)) found.push_back(file.name);
    std::sort(found.begin(), found.end(),
              [](const auto& left, const auto& right) { return compareNames(left, right) < 0; });
    return found;
  };
  EXPECT_EQ(names(L"*.QSF"), (Names{L"ab.QSF", L"a_b.QSF", L"config.qsf", L"MSG.QSF"}));
  EXPECT_EQ(names(L"*_hangman.lst"), (Names{L"de_hangman.lst", L"EN_HANGMAN.LST"}));
  // A trailing ".*" also matches a name without any dot.
  EXPECT_EQ(names(L"demo.*"), (Names{L"demo", L"Demo.txt"}));
  EXPECT_EQ(names(L"*.h0?"), (Names{L"fw.h00", L"fw.h01"}));
#ifndef _WIN32
  // Linux lists upper-cased names in order, so "_" sorts after the letters as on Windows.
  Names listed;
  for (const FoundFile& file : findFiles(dir.path(), L"*.qsf")) listed.push_back(file.name);
  EXPECT_EQ(listed, names(L"*.QSF"));
#endif

  dir.write(L"kbdlyout.qsf", std::string(1234, 'k'));
  const std::optional<FoundFile> found = findFirstFile(dir.path(), L"KBDLYOUT.QSF");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, L"kbdlyout.qsf");
  EXPECT_EQ(found->size, 1234u);
  EXPECT_FALSE(findFirstFile(dir.path(), L"HELP.QSF"));
}

}  // namespace
}  // namespace QrApp
