#include "qrcom/protocol/DirectoryEntry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace QrCom {
namespace {

constexpr EntryTime kTime = {2024, 5, 1, 14, 5, 33};

// Split at the last slash, or else at the last backslash. A link no platform resolves keeps its
// path.
TEST(DirectoryEntryTest, PathsAndNames) {
  for (const auto& [path, directory, name] :
       {std::tuple{L"/QRSYS/LANGUAGE/de.lng", L"/QRSYS/LANGUAGE/", L"de.lng"},
        {L"A\\B/C\\D.TXT", L"A\\B/", L"C\\D.TXT"},
        {L"A\\B\\C.TXT", L"A\\B\\", L"C.TXT"},
        {L"A.TXT", L"", L"A.TXT"},
        {L"/QRSYS/Demo.LnK", L"/QRSYS/", L"Demo.LnK"}}) {
    const DirectoryEntry entry(path, 0, kTime, 10);
    EXPECT_EQ(entry.directory() + L"|" + entry.name() + L"|" + entry.path(),
              std::wstring(directory) + L"|" + name + L"|" + path);
  }
}

TEST(DirectoryEntryTest, Texts) {
  const DirectoryEntry folder(L"/QRSYS/LANGUAGE", 2, kTime, 4096);
  EXPECT_TRUE(folder.isFolder());
  EXPECT_EQ(folder.displayName() + L"|" + folder.sizeText(), L"/LANGUAGE|");
  const DirectoryEntry file(L"/QRSYS/LANGUAGE", 3, kTime, 4096);
  EXPECT_EQ(file.displayName() + L"|" + file.sizeText(), L"LANGUAGE|           4096");
  // The size text holds the low 32 bits in fifteen places.
  EXPECT_EQ(DirectoryEntry(L"A", 0, kTime, 4294967295u).sizeText(), L"     4294967295");
  EXPECT_EQ(DirectoryEntry(L"A", 0, kTime, 0x100000005ull).sizeText(), L"              5");
  // No date text for impossible dates; the seconds are not shown.
  for (EntryTime time : {kTime, EntryTime{2024, 2, 29, 23, 59, 59},
                         EntryTime{2024, 7, 31, 1, 2, 99}, EntryTime{1601, 1, 1, 0, 0, 0}}) {
    EXPECT_NE(DirectoryEntry(L"A", 0, time, 0).dateTimeText(), L"")
        << int{time.month} << "/" << int{time.day};
  }
  for (EntryTime time : {EntryTime{2023, 2, 29, 0, 0, 0}, EntryTime{2024, 13, 1, 0, 0, 0},
                         EntryTime{2024, 0, 1, 0, 0, 0}, EntryTime{2024, 4, 31, 0, 0, 0},
                         EntryTime{2024, 5, 0, 0, 0, 0}, EntryTime{2024, 5, 1, 24, 0, 0},
                         EntryTime{2024, 5, 1, 0, 60, 0}, EntryTime{}}) {
    EXPECT_EQ(DirectoryEntry(L"A", 0, time, 0).dateTimeText(), L"")
        << int{time.month} << "/" << int{time.day};
  }
}

}  // namespace
}  // namespace QrCom
