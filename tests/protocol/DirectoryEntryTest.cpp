#include "qrcom/protocol/DirectoryEntry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace QrCom {
namespace {

constexpr EntryTime kTime = {2024, 5, 1, 14, 5, 33};

TEST(DirectoryEntryTest, SplitsAtTheLastSlashOrElseTheLastBackslash) {
  for (const auto& [path, directory, name] :
       {std::tuple{L"/QRSYS/LANGUAGE/de.lng", L"/QRSYS/LANGUAGE/", L"de.lng"},
        {L"A\\B/C\\D.TXT", L"A\\B/", L"C\\D.TXT"},
        {L"A\\B\\C.TXT", L"A\\B\\", L"C.TXT"},
        {L"A.TXT", L"", L"A.TXT"}}) {
    const DirectoryEntry entry(path, 0, kTime, 10);
    EXPECT_EQ(entry.directory(), directory);
    EXPECT_EQ(entry.name(), name);
    EXPECT_EQ(entry.path(), path);
  }
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
