#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/BrailleTable.h"
#include "qrcom/base/QrException.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

class BrailleTableTest : public ::testing::Test {
 protected:
  BrailleTable read(const std::wstring& name, const std::string& content) {
    return BrailleTable(dir.write(name, content));
  }
  // The codes whose pattern is not 0, with their patterns.
  static std::map<int, int> setCodes(const BrailleTable& table) {
    std::map<int, int> codes;
    for (int code = 0; code < 256; ++code) {
      if (table.dots()[code] != 0) codes[code] = table.dots()[code];
    }
    return codes;
  }

  QrTest::TempDir dir;
};

TEST_F(BrailleTableTest, AscGivesEachLineAfterTheHeaderTheNextCode) {
  const BrailleTable table = read(L"German.asc", "German table\n1\n12\n");
  EXPECT_EQ(setCodes(table), (std::map<int, int>{{0, 0x01}, {1, 0x03}}));
  EXPECT_EQ(table.name(), L"German");
  EXPECT_FALSE(table.searchBackwards());
}

TEST_F(BrailleTableTest, AscSkipsBlankLinesButCountsLinesHoldingOnlyACarriageReturn) {
  // Blank lines do not count, so the entries after them move up by one code.
  EXPECT_EQ(setCodes(read(L"a.asc", "head\n1\n\n\n12\n")),
            (std::map<int, int>{{0, 0x01}, {1, 0x03}}));
  // A carriage return stays in its line: a CR LF blank line is an entry with pattern 0.
  EXPECT_EQ(setCodes(read(L"b.asc", "head\r\n1\r\n\r\n12\r\n")),
            (std::map<int, int>{{0, 0x01}, {2, 0x03}}));
}

TEST_F(BrailleTableTest, DotListsEndAtTheFirstCharacterThatIsNoDot) {
  const BrailleTable table = read(L"c.asc", "head\n12345678\n1239\n40\nx1\n 1\n\n7\n");
  EXPECT_EQ(setCodes(table), (std::map<int, int>{{0, 0xFF}, {1, 0x07}, {2, 0x08}, {5, 0x40}}));
}

TEST_F(BrailleTableTest, AscIgnoresLinesAfterCode255) {
  std::string content = "head\n";
  for (int line = 0; line < 300; ++line) content += line < 256 ? "8\n" : "1\n";
  const BrailleTable table = read(L"long.asc", content);
  for (int code = 0; code < 256; ++code) ASSERT_EQ(table.dots()[code], 0x80) << code;
}

TEST_F(BrailleTableTest, JbtKeysEachLineByItsCharacter) {
  const BrailleTable table = read(L"table.jbt",
                                  "[Letters]\n"
                                  "a=145\n"
                                  "b=12 ; a comment\n"
                                  "\\=1\n"
                                  "==8\n"
                                  "\\65=7\n"
                                  "\\300=2\n"
                                  "\xE4=3\n"
                                  "[=4\n");
  EXPECT_EQ(setCodes(table), (std::map<int, int>{{'a', 0x19},
                                                 {'b', 0x03},
                                                 {'\\', 0x01},
                                                 {'=', 0x80},
                                                 {65, 0x40},
                                                 {300 & 0xFF, 0x02},
                                                 {0xE4, 0x04},
                                                 {'[', 0x08}}));
}

TEST_F(BrailleTableTest, JbtSkipsHeadersCommentsAndLinesWithoutAnEqualsSign) {
  const BrailleTable table = read(L"skip.jbt",
                                  "[x]=1\n"         // a section header, whatever follows
                                  ";c=1\n"          // all comment
                                  "d;=1\n"          // the equals sign is in the comment
                                  "e1\n"            // no equals sign
                                  "\\x=1\n"         // a backslash without a number
                                  "f=\n"            // an empty list: pattern 0
                                  "g=1\ng=2\r\n");  // the later line wins; CR ends the list
  EXPECT_EQ(setCodes(table), (std::map<int, int>{{'g', 0x02}}));
}

TEST_F(BrailleTableTest, ZeroBytesAreOrdinaryCharacters) {
  std::string content = "a=1";
  content += '\0';  // ends the dot list like any other character, not the file
  content += "7\nb=2\n; {SearchBackwards}\n";
  const BrailleTable table = read(L"zero.jbt", content);
  EXPECT_EQ(setCodes(table), (std::map<int, int>{{'a', 0x01}, {'b', 0x02}}));
  EXPECT_TRUE(table.searchBackwards());
}

TEST_F(BrailleTableTest, SearchBackwardsIsFoundAnywhereInExactCase) {
  EXPECT_TRUE(read(L"a.jbt", "; {SearchBackwards}\na=1\n").searchBackwards());
  EXPECT_TRUE(read(L"b.asc", "head {SearchBackwards}\n1\n").searchBackwards());
  EXPECT_FALSE(read(L"c.jbt", "; {searchbackwards}\na=1\n").searchBackwards());
}

TEST_F(BrailleTableTest, ExtensionsAreComparedWithoutCase) {
  EXPECT_EQ(setCodes(read(L"UPPER.JBT", "a=1\n")), (std::map<int, int>{{'a', 1}}));
  EXPECT_EQ(setCodes(read(L"Mixed.Asc", "h\n2\n")), (std::map<int, int>{{0, 2}}));
}

TEST_F(BrailleTableTest, OtherExtensionsReadNothing) {
  // Not even opened: a missing file with another extension is an empty table.
  const BrailleTable missing(dir.path(L"missing.txt"));
  EXPECT_EQ(missing.name(), L"missing");
  EXPECT_TRUE(setCodes(missing).empty());
  EXPECT_TRUE(setCodes(read(L"noext", "a=1 {SearchBackwards}\n")).empty());
  EXPECT_FALSE(read(L"noext2", "{SearchBackwards}\n").searchBackwards());
}

TEST_F(BrailleTableTest, NameIsTheFileNameWithoutFolderAndExtension) {
  EXPECT_EQ(BrailleTable(L"C:\\Tables\\German.txt").name(), L"German");
  EXPECT_EQ(BrailleTable(L"/tables/Swiss.de.txt").name(), L"Swiss.de");
  // A dot in a folder name is no extension.
  EXPECT_EQ(BrailleTable(L"C:\\fw.v2\\table").name(), L"table");
  EXPECT_EQ(BrailleTable(L"plain").name(), L"plain");
  EXPECT_EQ(BrailleTable(std::wstring(300, L'n') + L".txt").name(), std::wstring(260, L'n'));
}

TEST_F(BrailleTableTest, AMissingTableFileThrowsTheFileException) {
  EXPECT_THROW(BrailleTable(dir.path(L"absent.asc")), QrCom::CannotOpenFileException);
  EXPECT_THROW(BrailleTable(dir.path(L"absent.jbt")), QrCom::CannotOpenFileException);
}

}  // namespace
}  // namespace QrApp
