#include "qrcom/protocol/DirectoryEntry.h"

#include <gtest/gtest.h>

namespace QrCom {
namespace {

constexpr EntryTime kTime = {2024, 5, 1, 14, 5, 33};

TEST(DirectoryEntryTest, SplitsAtTheLastSlashOrElseTheLastBackslash) {
  const DirectoryEntry nested(L"/QRSYS/LANGUAGE/de.lng", 0, kTime, 10);
  EXPECT_EQ(nested.directory(), L"/QRSYS/LANGUAGE/");
  EXPECT_EQ(nested.name(), L"de.lng");

  const DirectoryEntry mixed(L"A\\B/C\\D.TXT", 0, kTime, 10);
  EXPECT_EQ(mixed.directory(), L"A\\B/");
  EXPECT_EQ(mixed.name(), L"C\\D.TXT");

  const DirectoryEntry backslashes(L"A\\B\\C.TXT", 0, kTime, 10);
  EXPECT_EQ(backslashes.directory(), L"A\\B\\");
  EXPECT_EQ(backslashes.name(), L"C.TXT");

  const DirectoryEntry flat(L"A.TXT", 0, kTime, 10);
  EXPECT_EQ(flat.directory(), L"");
  EXPECT_EQ(flat.name(), L"A.TXT");
  EXPECT_EQ(flat.path(), L"A.TXT");
}

TEST(DirectoryEntryTest, FolderHasASlashBeforeItsNameAndNoSizeText) {
  const DirectoryEntry folder(L"/QRSYS/LANGUAGE", 2, kTime, 4096);
  EXPECT_TRUE(folder.isFolder());
  EXPECT_EQ(folder.displayName(), L"/LANGUAGE");
  EXPECT_EQ(folder.sizeText(), L"");
  EXPECT_EQ(folder.size(), 4096u);
  EXPECT_EQ(folder.flags(), 2u);

  const DirectoryEntry file(L"/QRSYS/LANGUAGE", 3, kTime, 4096);
  EXPECT_FALSE(file.isFolder());
  EXPECT_EQ(file.displayName(), L"LANGUAGE");
}

TEST(DirectoryEntryTest, SizeTextIsTheLow32BitsInFifteenPlaces) {
  EXPECT_EQ(DirectoryEntry(L"A", 0, kTime, 3).sizeText(), L"              3");
  EXPECT_EQ(DirectoryEntry(L"A", 0, kTime, 4294967295u).sizeText(), L"     4294967295");
  EXPECT_EQ(DirectoryEntry(L"A", 0, kTime, 0x100000005ull).sizeText(), L"              5");
  EXPECT_EQ(DirectoryEntry(L"A", 0, kTime, 0x100000005ull).size(), 0x100000005ull);
}

TEST(DirectoryEntryTest, ImpossibleDatesGiveNoDateText) {
  EXPECT_NE(DirectoryEntry(L"A", 0, kTime, 0).dateTimeText(), L"");
  EXPECT_NE(DirectoryEntry(L"A", 0, {2024, 2, 29, 23, 59, 59}, 0).dateTimeText(), L"");
  for (const EntryTime& time : {EntryTime{2023, 2, 29, 0, 0, 0}, EntryTime{2024, 13, 1, 0, 0, 0},
                                EntryTime{2024, 0, 1, 0, 0, 0}, EntryTime{2024, 4, 31, 0, 0, 0},
                                EntryTime{2024, 5, 0, 0, 0, 0}, EntryTime{2024, 5, 1, 24, 0, 0},
                                EntryTime{2024, 5, 1, 0, 60, 0}, EntryTime{0, 0, 0, 0, 0, 0}}) {
    EXPECT_EQ(DirectoryEntry(L"A", 0, time, 0).dateTimeText(), L"")
        << time.year << "-" << int{time.month} << "-" << int{time.day};
  }
  const DirectoryEntry entry(L"A", 0, {2024, 5, 1, 14, 5, 99}, 0);
  EXPECT_EQ(entry.time().second, 99);  // stored, shown nowhere
  EXPECT_NE(entry.dateTimeText(), L"");
}

}  // namespace
}  // namespace QrCom
