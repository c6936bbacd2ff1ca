// The firmware file set of the older displays and the cutting of its records.
#include <gtest/gtest.h>

#include <filesystem>

#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/FirmwareFileSet.h"
#include "tests/firmware/Script.h"
#include "tests/support/TempDir.h"

namespace QrTest::FileSet {
namespace {

const std::string kData = ":1000000002003075816012010080FE0000000000D7";
const std::string kShort = ":04001000E4F5902261";
const std::string kEnd = ":00000001FF";

TEST(FirmwareFileSetTest, TheBaseNameUpToTheFirstGapOrNineFilesDamagedSetsRefused) {
  TempDir folder;
  folder.write(L"A.H00", "0123456789");
  folder.write(L"a.h01", "abc");  // letter case does not matter
  folder.write(L"A.H03", "never counted");
  const auto set = QrCom::countFirmwareFiles(folder.path(L"A.H00"), nullptr, nullptr);
  EXPECT_EQ(set.paths, (std::vector<std::wstring>{folder.path(L"A.H00"), folder.path(L"a.h01")}));
  EXPECT_EQ(set.count * 100 + set.totalBytes, 213u);
  // A dotted folder name is not an extension; the chosen file needs none.
  std::filesystem::create_directory(toFsPath(folder.path(L"fw.v2")));
  for (int n = 0; n <= 9; ++n) folder.write(L"fw.v2/B.H0" + std::to_wstring(n), "b");
  folder.write(L"fw.v2/B", "b");
  EXPECT_EQ(QrCom::countFirmwareFiles(folder.path(L"fw.v2/B"), nullptr, nullptr).count, 9u);

  auto refusal = [&](const std::wstring& first) {
    std::string text = Script::brief(failure([&] {
      QrCom::readFirmwareFiles(QrCom::countFirmwareFiles(folder.path(first), nullptr, nullptr));
    }));
    const size_t at = text.find(QrCom::toUtf8(folder.path(L"")));
    return at == std::string::npos ? text : text.erase(at, folder.path(L"").size() + 1);
  };
  folder.write(L"C.H01", "present but not looked for");
  EXPECT_EQ(refusal(L"C.H00"), "NoHexFileFound: countFirmwareFiles--No hex-file found.");
  folder.write(L"D.H00", "");
  folder.write(L"D.H01", "");
  EXPECT_EQ(refusal(L"D.H00"), "HexFilesAreEmpty: countFirmwareFiles--Firmware files are empty.");
  const std::string bad = "ErrorWhileLoadingHexFile: readFirmwareFiles--Firmware file ";
  folder.write(L"E.H00", std::string("\x00\x9C\xFF:\x01\x02", 6) + kEnd);
  EXPECT_EQ(refusal(L"E.H00"), bad + "E.H00 holds no valid Intel HEX record at byte 0.");
  folder.write(L"F.H00", kData + "\r\n:0400100");
  EXPECT_EQ(refusal(L"F.H00"), bad + "F.H00 holds no valid Intel HEX record at byte 45.");
  folder.write(L"F.H00", kEnd);  // an empty file beside a sound one
  folder.write(L"F.H01", "");
  EXPECT_EQ(refusal(L"F.H00"), bad + "F.H01 holds no valid Intel HEX record at byte 0.");
  folder.write(L"G.H00", std::string(QrCom::kMaxHexFileBytes + 1, ':'));
  EXPECT_EQ(refusal(L"G.H00"),
            "ErrorWhileLoadingHexFile: countFirmwareFiles--Firmware file G.H00 is too large.");
}

TEST(HexRecordsTest, RecordsAreCutWithoutWhatStandsBetweenThemDamagedOnesRefused) {
  std::vector<QrCom::HexRecord> records;
  const std::string text =
      "\xEF\xBB\xBF" + kData + " \r\n\r\n" + kShort + "\t\n" + kEnd + "\r\n\x1A";
  ASSERT_EQ(QrCom::cutHexRecords(text, records), std::string::npos);
  std::string cut;
  for (const auto& record : records) {
    cut += text.substr(record.begin, record.end - record.begin) + " " +
           std::to_string(record.next) + " ";
  }
  EXPECT_EQ(cut, kData + " 51 " + kShort + " 72 " + kEnd + " 86 ");
  const size_t second = kData.size() + 2;
  const std::pair<std::string, size_t> cases[] = {
      {"", 0},
      {"\r\n \x1A", 0},  // nothing but what stands between records
      {"\r\nAB" + kEnd, 2},
      {":", 0},
      {kData + "\r\n:04001000E4F5902262\r\n", second},  // checksum
      {kData + "\r\n:05001000E4F5902261\r\n", second},  // length
      {kData + "\r\n:04001000E4G5902261\r\n", second},  // not a hex digit
      {kData + " x\r\n" + kEnd, 0},                     // trailing text
  };
  for (const auto& [damaged, position] : cases) {
    EXPECT_EQ(QrCom::cutHexRecords(damaged, records), position) << damaged;
    EXPECT_TRUE(records.empty());
  }
}

}  // namespace
}  // namespace QrTest::FileSet
