// The firmware file set of the older displays and the cutting of its records.
#include <gtest/gtest.h>

#include <filesystem>

#include "qrcom/firmware/FirmwareFileSet.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"

namespace QrTest::FileSet {
namespace {

using QrCom::countFirmwareFiles;

const std::string kDataRecord = ":1000000002003075816012010080FE0000000000D7";
const std::string kShortRecord = ":04001000E4F5902261";
const std::string kEndRecord = ":00000001FF";

struct StageRecorder : QrCom::FirmwareUploadProgressSink {
  void onProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t,
                  uint64_t, uint64_t, uint64_t) override {}
  void onStage(QrCom::QuorlinDevice*, uint32_t stage) override { stages.push_back(stage); }
  std::vector<uint32_t> stages;
};

TEST(FirmwareFileSetTest, TheSetFollowsTheBaseNameUpToTheFirstGapOrNineFiles) {
  TempDir folder;
  folder.write(L"A.H00", "0123456789");
  folder.write(L"a.h01", "abc");  // letter case does not matter
  folder.write(L"A.H03", "never counted");
  StageRecorder sink;
  const auto set = countFirmwareFiles(folder.path(L"A.H00"), nullptr, &sink);
  EXPECT_EQ(set.totalBytes, 13u);
  EXPECT_EQ(set.baseName, folder.path(L"A"));
  EXPECT_EQ(set.paths, (std::vector<std::wstring>{folder.path(L"A.H00"), folder.path(L"a.h01")}));
  EXPECT_EQ(set.count, 2u);
  EXPECT_EQ(sink.stages, std::vector<uint32_t>{0});

  // A dotted folder name is not an extension; the chosen file needs none.
  std::filesystem::create_directory(toFsPath(folder.path(L"fw.v2")));
  for (int n = 0; n <= 9; ++n) folder.write(L"fw.v2/B.H0" + std::to_wstring(n), "b");
  folder.write(L"fw.v2/B", "b");
  EXPECT_EQ(countFirmwareFiles(folder.path(L"fw.v2/B"), nullptr, nullptr).count, 9u);
  EXPECT_EQ(countFirmwareFiles(folder.path(L"fw.v2/B"), nullptr, nullptr).baseName,
            folder.path(L"fw.v2/B"));

  const std::wstring prefix = L"EpromVersion11FirmwareUploadStrategy::countFirmwareFiles--";
  folder.write(L"C.H01", "present but not looked for");
  EXPECT_EQ(failureOf([&] { countFirmwareFiles(folder.path(L"C.H00"), nullptr, nullptr); }),
            prefix + L"No hex-file found.");
  folder.write(L"D.H00", "");
  folder.write(L"D.H01", "");
  EXPECT_EQ(failure([&] { countFirmwareFiles(folder.path(L"D.H00"), nullptr, nullptr); }),
            "HexFilesAreEmpty: " + describe(prefix) + "Firmware files are empty.");
}

TEST(HexRecordsTest, RecordsAreCutWithoutWhatStandsBetweenThem) {
  std::vector<QrCom::HexRecord> records;
  const std::string text =
      "\xEF\xBB\xBF" + kDataRecord + " \r\n\r\n" + kShortRecord + "\t\n" + kEndRecord + "\r\n\x1A";
  ASSERT_EQ(QrCom::cutHexRecords(text, records), std::string::npos);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(text.substr(records[0].begin, records[0].end - records[0].begin), kDataRecord);
  EXPECT_EQ(records[0].next, 3 + kDataRecord.size() + 5);
  EXPECT_EQ(text.substr(records[1].begin, records[1].end - records[1].begin), kShortRecord);
  EXPECT_EQ(text.substr(records[2].begin, records[2].end - records[2].begin), kEndRecord);
  EXPECT_EQ(records[2].next, text.size());
}

TEST(HexRecordsTest, DamagedTextsAreRefusedWhereTheyGoWrong) {
  std::vector<QrCom::HexRecord> records;
  const size_t second = kDataRecord.size() + 2;
  const std::pair<std::string, size_t> cases[] = {
      {"", 0},
      {"\r\n \x1A", 0},  // nothing but what stands between records
      {"\r\nAB" + kEndRecord, 2},
      {":", 0},
      {kDataRecord + "\r\n:04001000E4F5902262\r\n", second},  // checksum
      {kDataRecord + "\r\n:05001000E4F5902261\r\n", second},  // length
      {kDataRecord + "\r\n:04001000E4G5902261\r\n", second},  // not a hex digit
      {kDataRecord + " x\r\n" + kEndRecord, 0},               // trailing text
  };
  for (const auto& [text, position] : cases) {
    EXPECT_EQ(QrCom::cutHexRecords(text, records), position) << text;
    EXPECT_TRUE(records.empty());
  }
}

}  // namespace
}  // namespace QrTest::FileSet
