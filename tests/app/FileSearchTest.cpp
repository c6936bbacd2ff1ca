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

class FileSearchTest : public ::testing::Test {
 protected:
  void files(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) dir.write(name, "data");
  }
  // In name order: the order of the search is the platform's (FileSystemTest-posix).
  std::vector<std::wstring> names(const std::wstring& pattern) const {
    std::vector<std::wstring> found;
    for (const FoundFile& file : findFiles(dir.path(), pattern)) found.push_back(file.name);
    std::sort(found.begin(), found.end(), [](const std::wstring& left, const std::wstring& right) {
      return compareNames(left, right) < 0;
    });
    return found;
  }
  using Names = std::vector<std::wstring>;

  QrTest::TempDir dir;
};

TEST_F(FileSearchTest, PatternsMatchWithoutCase) {
  files({L"MSG.QSF", L"config.qsf", L"Help.Qsf", L"readme.txt", L"ab.QSF", L"a_b.QSF"});
  std::filesystem::create_directory(QrTest::toFsPath(dir.path(L"folder.QSF")));
  EXPECT_EQ(names(L"*.QSF"),
            (Names{L"ab.QSF", L"a_b.QSF", L"config.qsf", L"Help.Qsf", L"MSG.QSF"}));
  EXPECT_EQ(names(L"*.txt"), (Names{L"readme.txt"}));
  EXPECT_EQ(names(L"*.QMF"), Names{});
}

TEST_F(FileSearchTest, EveryPackagePatternFindsItsFiles) {
  files({L"de_hangman.lst", L"EN_HANGMAN.LST", L"hangman.lst", L"demo", L"Demo.txt", L"demo.tar.gz",
         L"demonstration.txt", L"fw.h00", L"fw.h01", L"8051.HEX", L"a.hexold", L"song.qmf",
         L"intro.QTF"});
  EXPECT_EQ(names(L"*_hangman.lst"), (Names{L"de_hangman.lst", L"EN_HANGMAN.LST"}));
  // A trailing ".*" also matches a name without any dot.
  EXPECT_EQ(names(L"demo.*"), (Names{L"demo", L"demo.tar.gz", L"Demo.txt"}));
  EXPECT_EQ(names(L"*.h00"), (Names{L"fw.h00"}));
  EXPECT_EQ(names(L"*.hex"), (Names{L"8051.HEX"}));
  EXPECT_EQ(names(L"*.QMF"), (Names{L"song.qmf"}));
  EXPECT_EQ(names(L"*.qtf"), (Names{L"intro.QTF"}));
  EXPECT_EQ(names(L"*.h0?"), (Names{L"fw.h00", L"fw.h01"}));
}

TEST_F(FileSearchTest, APlainNameFindsTheFileInWhateverCaseItIsWritten) {
  dir.write(L"kbdlyout.qsf", std::string(1234, 'k'));
  const std::optional<FoundFile> found = findFirstFile(dir.path(), L"KBDLYOUT.QSF");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, L"kbdlyout.qsf");
  EXPECT_EQ(found->size, 1234u);
  EXPECT_FALSE(findFirstFile(dir.path(), L"HELP.QSF"));
}

TEST_F(FileSearchTest, MissingFoldersAndFilesAreNoFolders) {
  const std::wstring file = dir.write(L"file.txt", "x");
  EXPECT_TRUE(folderExists(dir.path()));
  EXPECT_FALSE(folderExists(file));
  EXPECT_FALSE(folderExists(dir.path(L"missing")));
  EXPECT_TRUE(findFiles(dir.path(L"missing"), L"*").empty());
  EXPECT_TRUE(findFiles(file, L"*").empty());
}

TEST_F(FileSearchTest, JoinedPathsOpenTheFile) {
  const std::wstring folder = dir.path();
  dir.write(L"MSG.QSF", "m");
  EXPECT_EQ(joinPath(folder, L"MSG.QSF"), dir.path(L"MSG.QSF"));
  EXPECT_EQ(joinPath(joinPath(folder, L""), L"MSG.QSF"), dir.path(L"MSG.QSF"));
}

TEST(NamePatternTest, CaseIsIgnoredForAsciiAndLatin1Letters) {
  EXPECT_TRUE(sameName(L"CONFIG.QSF", L"config.qsf"));
  EXPECT_TRUE(sameName(L"\u00e4rger.qsf", L"\u00c4RGER.QSF"));  // ärger / ÄRGER
  EXPECT_FALSE(sameName(L"config.qsf", L"config.qsf2"));
  EXPECT_TRUE(matchesPattern(L"\u00dcBUNG.QTF", L"\u00fcbung.*"));
  EXPECT_FALSE(matchesPattern(L"x.qsf", L"?.?.qsf"));
  EXPECT_TRUE(matchesPattern(L"anything", L"*"));
  EXPECT_TRUE(matchesPattern(L"a.b.c", L"*.*"));
  // Names that differ only in case still have a fixed order.
  EXPECT_LT(compareNames(L"A.QSF", L"a.QSF"), 0);
  EXPECT_LT(compareNames(L"a.qsf", L"B.QSF"), 0);
  EXPECT_EQ(compareNames(L"same", L"same"), 0);
}

}  // namespace
}  // namespace QrApp
