#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/BrailleTable.h"
#include "qrcom/base/QrException.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

using namespace std::string_literals;

// The codes whose pattern is not 0 with their patterns, in hex, and whether to search backwards.
std::string summary(const BrailleTable& table) {
  std::string text;
  for (int code = 0; code < 256; ++code) {
    char item[16];
    std::snprintf(item, sizeof item, "%x=%x ", code, table.dots()[code]);
    if (table.dots()[code] != 0) text += item;
  }
  return table.searchBackwards() ? text + "backwards" : text;
}

TEST(BrailleTableTest, EachFormatHasItsRules) {
  const struct {
    const wchar_t* file;
    std::string content;
    std::string summary;
  } cases[] = {
      // .asc: a header, then the codes in order; blank lines do not count, CR LF ones do.
      {L"a.asc", "head\n1\n\n\n12\n", "0=1 1=3 "},
      {L"b.Asc", "head\r\n1\r\n\r\n12\r\n", "0=1 2=3 "},
      // A dot list ends at the first character that is no dot.
      {L"c.asc", "head\n12345678\n1239\n40\nx1\n 1\n\n7\n", "0=ff 1=7 2=8 5=40 "},
      {L"d.asc", "head {SearchBackwards}\n1\n", "0=1 backwards"},
      // .jbt: each line keyed by its character or a decimal code after a backslash.
      {L"e.JBT", "[Letters]\na=145\nb=12 ; comment\n\\=1\n==8\n\\65=7\n\\300=2\n\xE4=3\n[=4\n",
       "2c=2 3d=80 41=40 5b=8 5c=1 61=19 62=3 e4=4 "},
      // Section headers, comments, lines without an equals sign and malformed codes are skipped;
      // the later line wins; CR ends the list, and so does a zero byte.
      {L"f.jbt", "[x]=1\n;c=1\nd;=1\ne1\n\\x=1\nf=\ng=1\ng=2\r\n", "67=2 "},
      {L"g.jbt", "a=1\0008\nb=2\n; {SearchBackwards}\n"s, "61=1 62=2 backwards"},
      {L"noext", "a=1 {SearchBackwards}\n", ""},  // not read
  };
  QrTest::TempDir dir;
  for (const auto& row : cases) {
    EXPECT_EQ(summary(BrailleTable(dir.write(row.file, row.content))), row.summary) << row.content;
  }
  std::string longTable = "head\n";
  for (int line = 0; line < 300; ++line) longTable += line < 256 ? "8\n" : "1\n";
  EXPECT_EQ(BrailleTable(dir.write(L"long.asc", longTable)).dots()[255], 0x80);
  EXPECT_THROW(BrailleTable(dir.path(L"absent.jbt")), QrCom::CannotOpenFileException);
  EXPECT_EQ(summary(BrailleTable(dir.path(L"missing.txt"))), "");  // not even opened
}

TEST(BrailleTableTest, NameIsTheFileNameWithoutFolderAndExtension) {
  EXPECT_EQ(BrailleTable(L"/tables/Swiss.de.txt").name(), L"Swiss.de");
  EXPECT_EQ(BrailleTable(L"C:\\fw.v2\\table").name(), L"table");  // no extension
  EXPECT_EQ(BrailleTable(L"/tables/.txt").name(), L"");
  EXPECT_EQ(BrailleTable(std::wstring(300, L'n') + L".txt").name(), std::wstring(260, L'n'));
}

}  // namespace
}  // namespace QrApp
