// The firmware file set of the older displays: which files belong to it, and which contents
// are refused before the display is touched.
#include <filesystem>

#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/FirmwareFileSet.h"
#include "tests/firmware/EpromFixture.h"

namespace QrTest::Eprom {
namespace {

using QrCom::countFirmwareFiles;
using QrCom::cutHexRecords;
using QrCom::HexRecord;

const std::wstring kCountPrefix = L"EpromVersion11FirmwareUploadStrategy::countFirmwareFiles--";
const std::wstring kReadPrefix = L"EpromVersion11FirmwareUploadStrategy::readFirmwareFiles--";

class FirmwareFileSetTest : public EpromFixture {};

TEST_F(FirmwareFileSetTest, SetEndsAtTheFirstMissingNumber) {
  folder.write(L"A.H00", "0123456789");
  folder.write(L"A.H01", "abc");
  folder.write(L"A.H03", "never counted");
  const auto set = countFirmwareFiles(folder.path(L"A.H00"), nullptr, &sink);
  EXPECT_EQ(set.count, 2u);
  EXPECT_EQ(set.totalBytes, 13u);
  EXPECT_EQ(set.baseName, folder.path(L"A"));
  EXPECT_EQ(set.paths, (std::vector<std::wstring>{folder.path(L"A.H00"), folder.path(L"A.H01")}));
  EXPECT_EQ(sink.stages, std::vector<uint32_t>{0});
}

TEST_F(FirmwareFileSetTest, NamesFollowTheBaseNameOfTheChosenFile) {
  folder.write(L"X", "x");
  folder.write(L"X.H01", "y");
  folder.write(L"X.H02", "z");
  EXPECT_EQ(countFirmwareFiles(folder.path(L"X"), nullptr, nullptr).count, 3u);

  // A dotted folder name is not an extension.
  std::filesystem::create_directory(toFsPath(folder.path(L"fw.v2")));
  folder.write(L"fw.v2/FIRMWARE", "a");
  folder.write(L"fw.v2/FIRMWARE.H01", "b");
  const auto set = countFirmwareFiles(folder.path(L"fw.v2/FIRMWARE"), nullptr, nullptr);
  EXPECT_EQ(set.count, 2u);
  EXPECT_EQ(set.baseName, folder.path(L"fw.v2/FIRMWARE"));
}

TEST_F(FirmwareFileSetTest, LetterCaseOfTheNamesDoesNotMatter) {
  writeFile(L"Mixed.H00", {kEndRecord});
  writeFile(L"mixed.h01", {kShortRecord, kEndRecord});
  writeFile(L"MIXED.H02", {kEndRecord});
  const auto set = countFirmwareFiles(folder.path(L"Mixed.H00"), nullptr, nullptr);
  ASSERT_EQ(set.count, 3u);
  EXPECT_EQ(QrCom::readFirmwareFiles(set)[1].records.size(), 2u);
}

TEST_F(FirmwareFileSetTest, AtMostNineFiles) {
  for (int n = 0; n <= 9; ++n) folder.write(L"B.H0" + std::to_wstring(n), "b");
  EXPECT_EQ(countFirmwareFiles(folder.path(L"B.H00"), nullptr, nullptr).count, 9u);
}

TEST_F(FirmwareFileSetTest, MissingOrEmptySetsFail) {
  folder.write(L"C.H01", "present but not looked for");
  EXPECT_EQ(failureOfClass<QrCom::NoHexFileFoundException>(
                [&] { countFirmwareFiles(folder.path(L"C.H00"), nullptr, nullptr); }),
            kCountPrefix + L"No hex-file found.");

  folder.write(L"D.H00", "");
  folder.write(L"D.H01", "");
  EXPECT_EQ(failureOfClass<QrCom::HexFilesAreEmptyException>(
                [&] { countFirmwareFiles(folder.path(L"D.H00"), nullptr, nullptr); }),
            kCountPrefix + L"Firmware files are empty.");
}

TEST(HexRecordsTest, RecordsAreCutWithoutWhatStandsBetweenThem) {
  std::vector<HexRecord> records;
  const std::string text =
      "\xEF\xBB\xBF" + kDataRecord + " \r\n\r\n" + kShortRecord + "\t\n" + kEndRecord + "\r\n\x1A";
  ASSERT_EQ(cutHexRecords(text, records), std::string::npos);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(text.substr(records[0].begin, records[0].end - records[0].begin), kDataRecord);
  EXPECT_EQ(records[0].next, 3 + kDataRecord.size() + 5);
  EXPECT_EQ(text.substr(records[1].begin, records[1].end - records[1].begin), kShortRecord);
  EXPECT_EQ(text.substr(records[2].begin, records[2].end - records[2].begin), kEndRecord);
  EXPECT_EQ(records[2].next, text.size());
}

TEST(HexRecordsTest, DamagedTextsAreRefusedWhereTheyGoWrong) {
  std::vector<HexRecord> records;
  const size_t second = kDataRecord.size() + 2;
  EXPECT_EQ(cutHexRecords("", records), 0u);
  EXPECT_EQ(cutHexRecords("\r\n \x1A", records), 0u) << "nothing but what stands between";
  EXPECT_EQ(cutHexRecords("\r\nAB" + kEndRecord, records), 2u) << "text before the colon";
  EXPECT_EQ(cutHexRecords(":", records), 0u);
  EXPECT_EQ(cutHexRecords(kDataRecord + "\r\n:04001000E4F5902262\r\n", records), second)
      << "checksum";
  EXPECT_EQ(cutHexRecords(kDataRecord + "\r\n:05001000E4F5902261\r\n", records), second)
      << "length";
  EXPECT_EQ(cutHexRecords(kDataRecord + "\r\n:04001000E4G5902261\r\n", records), second)
      << "not a hex digit";
  EXPECT_EQ(cutHexRecords(kDataRecord + " x\r\n" + kEndRecord, records), 0u) << "trailing text";
  EXPECT_TRUE(records.empty());
}

TEST_F(FirmwareFileSetTest, DamagedFilesAreRefusedBeforeTheDisplayIsTouched) {
  struct Case {
    const wchar_t* name;
    std::string content;
    std::wstring message;
  };
  const std::vector<Case> cases = {
      {L"LINE.H00", std::string(1 << 20, '7'), L" holds no valid Intel HEX record at byte 0."},
      {L"NOISE.H00", std::string("\x00\x9C\xFF:\x01\x02", 6) + kEndRecord,
       L" holds no valid Intel HEX record at byte 0."},
      {L"CUT.H00", kDataRecord + "\r\n:0400100", L" holds no valid Intel HEX record at byte 45."},
  };
  for (const Case& bad : cases) {
    SCOPED_TRACE(QrCom::toUtf8(bad.name));
    const std::wstring path = folder.write(bad.name, bad.content);
    EXPECT_EQ(failureOf<QrCom::ErrorWhileLoadingHexFileException>(path),
              kReadPrefix + L"Firmware file " + path + bad.message);
    EXPECT_TRUE(port.calls().empty());
  }

  // An empty file beside a sound one.
  const std::wstring sound = writeFile(L"E.H00", {kEndRecord});
  const std::wstring empty = folder.write(L"E.H01", "");
  EXPECT_EQ(
      failureOf<QrCom::ErrorWhileLoadingHexFileException>(sound),
      kReadPrefix + L"Firmware file " + empty + L" holds no valid Intel HEX record at byte 0.");

  const std::wstring huge =
      folder.write(L"HUGE.H00", std::string(QrCom::kMaxHexFileBytes + 1, ':'));
  EXPECT_EQ(failureOf<QrCom::ErrorWhileLoadingHexFileException>(huge),
            kCountPrefix + L"Firmware file " + huge + L" is too large.");

  // A folder where file 1 should be: the file's own failure.
  const std::wstring first = writeFile(L"F.H00", {kEndRecord});
  std::filesystem::create_directory(toFsPath(folder.path(L"F.H01")));
  EXPECT_NE(failureOf<QrCom::FileException>(first), L"(no failure)");
  EXPECT_TRUE(port.calls().empty());
}

TEST_F(FirmwareFileSetTest, FileVanishingDuringTheUploadIsSentAsItWas) {
  const std::wstring first = writeFile(L"FW.H00", {kEndRecord});
  const std::wstring second = writeFile(L"FW.H01", {kShortRecord, kEndRecord});
  reachEpromMode();
  script.addressBit(0x36, 0x00).addressBit(0x33, 0x00).addressBit(0x55, 0x75);  // 2 banks
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
  script.record(kEndRecord).then([&] { std::filesystem::remove(toFsPath(second)); });
  script.uploadMessage(kMessage40).addressBit(0x4F, 0x6F).beginUpload();
  script.record(kShortRecord).record(kEndRecord).flashSwitch();

  load(first);

  EXPECT_TRUE(script.done());
  EXPECT_FALSE(folder.exists(L"FW.H01"));
}

}  // namespace
}  // namespace QrTest::Eprom
