// Golden tests of the older displays' boot-loader upload, with their firmware file set, its
// records and the computer Braille of the upload message. Each run plays a script (a "!" runs
// the case's action, a cancel unless set) and tells how the upload ended, the stages and
// progress it reported, and its pauses ("500*3": three in a row).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <filesystem>
#include <set>

#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/ComputerBraille.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/firmware/FirmwareFileSet.h"
#include "tests/firmware/Golden.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"

namespace QrTest::Eprom {
namespace {

using OneLine::repeat;
using QrCom::computerBrailleCell;
using ::testing::StartsWith;

const std::string kData = "':1000000002003075816012010080FE0000000000D7'";
const std::string kShort = "':04001000E4F5902261'";
const std::string kEnd = "':00000001FF'";
const std::string kInfo = "AE>4F,'INFO '>'INFOI',";
const std::string kFlash = "AE>4F,'FLASHUmschaltung '>'FLASHUmschaltungF',";
// A record without its quotes.
std::string raw(const std::string& record) {
  return record.substr(1, record.size() - 2);
}
const char* const kBits[3][2] = {{"55>75", "4F>6F"}, {"33>33", "32>32"}, {"36>36", "35>35"}};

// The announcement, the wake bytes and "Firmware Upload..." in computer Braille on `cells`.
std::string message(int cells = 40) {
  Bytes shown = hex("4B 0A 17 0D 3A 01 17 11 00 65 0F 07 15 01 19 28 28 28");
  shown.resize(static_cast<size_t>(cells), 0);
  return "79 38 02 50 00 16 FF FF 01 " + toHex(shown) + " FF,";
}
// Found at once, the message shown, each character of the switch echoed but the closing blank.
std::string toEprom(const std::string& model = "74", int cells = 40) {
  std::string steps = "FF>FE " + model + "," + message(cells) + "AE>4F,";
  for (char c : std::string("EPROMUmschaltung"))
    steps += "'" + std::string{c, '\'', '>', '\'', c} + "',";
  return steps + "20,";
}
// The bank count: bits tried from the highest until one is answered.
std::string banks(int count) {
  std::string steps;
  for (int bit = 2; bit >= 0 && count < 4 << bit; --bit) {
    steps +=
        kInfo + (count == 2 << bit ? kBits[bit][0] : std::string(kBits[bit][0], 2) + ">00") + ",";
  }
  return steps;
}
// The address bits, highest first, that select `bank` of `count`.
std::string select(int bank, int count) {
  std::string steps;
  for (int bit = 2; bit >= 0; --bit) {
    if (count > (1 << bit)) steps += kInfo + kBits[bit][(bank >> bit) & 1] + ",";
  }
  return steps;
}
// The message, the bank, BEGIN_UPLOAD and the records.
std::string send(int bank, int count, const std::vector<std::string>& records = {}) {
  std::string steps = message() + select(bank, count) + "AD>4F,";
  for (const std::string& record : records) steps += record + ">4F,";
  return steps;
}

class EpromUploadTest : public ::testing::Test, public QrCom::FirmwareUploadProgressSink {
 protected:
  void file(int n, const std::vector<std::string>& records, const std::string& end = "\r\n") {
    std::string content;
    for (const std::string& record : records) content += raw(record) + end;
    folder.write(L"FW.H0" + std::to_wstring(n), content);
  }
  std::string upload(const std::string& script, uint8_t model = 0x74, int cells = 40) {
    ScopedVirtualClock clock;
    ScriptedPort port(&*clock);
    Conversation display(port);
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, model, cells);
    OneLine::play(
        display, script, action ? action : [&] { strategy.cancel(); });
    trace.clear();
    std::string result =
        OneLine::brief(failure([&] { strategy.loadFirmware(port, folder.path(L"FW.H00"), this); }));
    EXPECT_TRUE(display.finished());
    if (port.pending() > 0) result += " +unread";
    const std::string where = QrCom::toUtf8(folder.path(L""));
    if (result.find(where) != std::string::npos) result.erase(result.find(where), where.size() + 1);
    result += " |" + trace + " |";
    const std::vector<uint32_t> pauses = clock->pauses();
    for (size_t i = 0, n = 1; i < pauses.size(); i += n, n = 1) {
      while (i + n < pauses.size() && pauses[i + n] == pauses[i]) ++n;
      result += " " + std::to_string(pauses[i]) + (n > 1 ? "*" + std::to_string(n) : "");
    }
    return result;
  }
  void onStage(QrCom::QuorlinDevice*, uint32_t stage) override {
    trace += " s" + std::to_string(stage);
  }
  // [file/files done/total inFile/fileBytes]
  void onProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t files, uint32_t n,
                  uint64_t total, uint64_t fileBytes, uint64_t done, uint64_t inFile) override {
    trace += " [" + std::to_string(n) + "/" + std::to_string(files) + " " + std::to_string(done) +
             "/" + std::to_string(total) + " " + std::to_string(inFile) + "/" +
             std::to_string(fileBytes) + "]";
  }

  TempDir folder;
  std::string trace;
  std::function<void()> action;
};

TEST_F(EpromUploadTest, FourFilesIntoAnEightBankDisplay) {
  // File 1 is long enough for progress every hundred records; file 2 has LF-only line ends
  // (its records once lost their last character). The erase is confirmed at the third poll.
  std::vector<std::string> many(206, kShort);
  many.push_back(kEnd);
  file(0, {kData, kEnd});
  file(1, many);
  file(2, {kShort, kEnd}, "\n");
  file(3, {kShort, kEnd});
  EXPECT_EQ(upload(toEprom() + banks(8) + select(0, 8) + kInfo + "4C>00 00 4C," +
                   send(0, 8, {kData, kEnd}) + send(1, 8, many) + send(2, 8, {kShort, kEnd}) +
                   send(3, 8, {kShort, kEnd}) + kFlash),
            "(no failure) | s0 s1 s2 s3 s4 s6 [0/4 0/4463 0/58] s6 [1/4 58/4463 0/4339] [1/4 "
            "142/4463 84/4339] [1/4 2242/4463 2184/4339] [1/4 4342/4463 4284/4339] s6 [2/4 "
            "4397/4463 0/32] s6 [3/4 4429/4463 0/34] s5 | 200 500*3 100 3000 500*5 200 500*9 2000 "
            "1000 200 500*9 2000 1000 200 500*9 2000 1000 200 500*9 2000 1000 500 3000");
}

TEST_F(EpromUploadTest, EachFailureStopsTheConversationWhereItHappens) {
  file(0, {kEnd});
  const std::string toErase = toEprom() + banks(4) + select(0, 4);
  const std::string toEnd = toEprom() + banks(2) + send(0, 2) + kEnd + ">4F,";
  const std::pair<std::string, std::string> cases[] = {
      {repeat("FF>FE 01", 51),
       "NoDeviceFound: switchToEpromMode--No response on reset. | s0 s1 | 100*51"},
      {toEprom().substr(0, toEprom().size() - 7) + "'X'",  // the last echo before the blank
       "CannotSwitchToEprom: switchToEpromMode--Wrong answer to switch eprom command."},
      {toEprom() + "AE>00", "CannotSwitchFlashBanks: setAddressBit--Cannot start INFO mode."},
      {toEprom() + "AE>4F,'INFO '>'INFOX'",
       "CannotSwitchFlashBanks: setAddressBit--Invalid confirmation of INFO command"},
      {toEprom() + banks(8) + kInfo + "36>00",
       "CannotSwitchFlashBanks: switchToFlashBank--Error while switching to flash bank"},
      // Three wrong bytes, then silence: twenty polls in all.
      {toErase + kInfo + "4C>00 4D 00",
       "CannotDeleteFlash: deleteFlashMemory--No ACK_DELETE_FLASH received | s0 s1 s2 s3 s4 | 200 "
       "500*3 100 3000 500*22"},
      {toEprom() + banks(2) + message() + select(0, 2) + "AD>00",
       "ErrorWhileLoadingHexFile: deleteFlashMemory--Invalid response for BEGIN_UPLOAD"},
      {toEprom() + banks(2) + send(0, 2) + repeat(kEnd + ">00", 4),
       "ErrorWhileLoadingHexFile: deleteFlashMemory--Firmware block not confirmed"},
      {toEnd + "AE>4F,'FLASHUmschaltung '>'FLASHUmschaltungX'",
       "CannotSwitchToFlash: switchToFlashMode--Invalid confirmation of FLASHUmschaltung command"},
  };
  for (const auto& [script, outcome] : cases) EXPECT_THAT(upload(script), StartsWith(outcome));
  // Wrong answers to the probe are paused and purged, silence is not paused; model 4 shows no
  // message.
  EXPECT_EQ(upload("FF>FE 05,FF,FF>00 04 FE,FF>FE 04,AE>00", 4, 0),
            "CannotSwitchToEprom: switchToEpromMode--Cannot start INFO mode. | s0 s1 s2 | 100*3");
  // A record is sent up to four times, the end record after settling each time.
  file(0, {kData, kEnd});
  EXPECT_EQ(
      upload(toEprom("32", 16) + banks(2) + message(16) + select(0, 2) + "AD>4F," +
                 repeat(kData + ">00", 3) + kData + ">4F," + kEnd + ">00," + kEnd + ">FF," + kFlash,
             0x32, 16),
      "(no failure) | s0 s1 s2 s3 s6 [0/1 0/58 0/58] s5 | 200 500*3 100 3000 200 500*11 2000 "
      "1000 500 3000");
  for (int n = 1; n < 5; ++n) file(n, {kEnd});  // five files for four banks
  EXPECT_EQ(upload(toEprom() + banks(4)),
            "WrongAmountOfHexFiles: loadFirmware -- Wrong number of firmware files. | s0 s1 s2 s3 "
            "| 200 500*3 100 3000");
}

TEST_F(EpromUploadTest, ModelsThirtySixAndThirtyEightSwitchOverASecondTime) {
  file(0, {kEnd});
  const std::string toRvn = toEprom("36", 64) + "FF>00,FF>FE,FF,";
  const std::string tail = message(64) + "AD>4F," + kEnd + ">4F," + kFlash;
  const std::string good = kInfo + "36>36," + kInfo + "33>33," + kInfo + "55>75," + kInfo;
  const std::string fails = "CannotSwitchToEprom: switchRvnToEpromMode--";
  EXPECT_THAT(upload(toRvn + "AE>00", 0x36, 64),
              StartsWith(fails + "didn't get 0x4f after sending 0xae."));
  EXPECT_THAT(upload(toRvn + "AE>4F,'INFO '>'INFOX'", 0x36, 64),
              StartsWith(fails + "failed to retrieve INFOI."));
  EXPECT_THAT(upload(toRvn + kInfo + "36>00", 0x36, 64), StartsWith(fails + "Failed to read 6"));
  EXPECT_EQ(upload(toRvn + good + "4C>00 4C," + tail, 0x36, 64),
            "(no failure) | s0 s1 s2 s6 [0/1 0/13 0/13] s5 | 200 500*3 100 3000 200*2 500*2 "
            "3000*2 200 500*9 2000 1000 500 3000");
  // An erase never confirmed goes on after fifteen polls.
  EXPECT_THAT(upload(toRvn + good + "4C>" + toHex(Bytes(15, 0)) + "," + tail, 0x36, 64),
              StartsWith("(no failure) | s0 s1 s2 s6 [0/1 0/13 0/13] s5 | 200 500*3 100 3000 "
                         "200*2 500*2 3000*15 200"));
  EXPECT_EQ(upload(toEprom("36", 64) + repeat("FF>00", 51), 0x36, 64),
            "CannotSwitchToEprom: switchRvnToEpromMode--didn't get 0xfe after sending 0xff. | s0 "
            "s1 s2 | 200 500*3 100 3000 200*51");

  // A cancel tells the display and returns.
  file(0, {kData, kShort, kEnd});
  EXPECT_EQ(upload(toEprom() + banks(2) + send(0, 2) + kData + ">4F!,FF,FF>00"),
            "(no failure) | s0 s1 s2 s3 s6 [0/1 0/79 0/79] | 200 500*3 100 3000 200 500*8");
  EXPECT_EQ(upload(toEprom() + banks(4) + select(0, 4) + kInfo + "4C>4C!,FF>00"),
            "(no failure) | s0 s1 s2 s3 s4 | 200 500*3 100 3000 500*4");
  // A file that vanishes during the upload is sent as it was read.
  file(0, {kEnd});
  file(1, {kShort, kEnd});
  action = [&] { std::filesystem::remove(toFsPath(folder.path(L"FW.H01"))); };
  EXPECT_THAT(upload(toEprom() + banks(2) + send(0, 2) + kEnd + ">4F!," +
                     send(1, 2, {kShort, kEnd}) + kFlash),
              StartsWith("(no failure)"));

  // The set is the base name up to a gap; damaged sets are refused before the display hears
  // anything.
  folder.write(L"A.H00", "0123456789");
  folder.write(L"a.h01", "abc");  // letter case does not matter
  folder.write(L"A.H03", "never counted");
  const auto set = QrCom::countFirmwareFiles(folder.path(L"A.H00"), nullptr, nullptr);
  EXPECT_EQ(set.count * 100 + set.totalBytes, 213u);

  std::filesystem::remove(toFsPath(folder.path(L"FW.H00")));
  folder.write(L"FW.H01", "");
  EXPECT_EQ(upload(""), "NoHexFileFound: countFirmwareFiles--No hex-file found. | s0 |");
  folder.write(L"FW.H00", "");
  EXPECT_EQ(upload(""), "HexFilesAreEmpty: countFirmwareFiles--Firmware files are empty. | s0 |");
  const std::string bad = "ErrorWhileLoadingHexFile: readFirmwareFiles--Firmware file FW.H0";
  folder.write(L"FW.H00", std::string("\x00\x9C\xFF:\x01\x02", 6) + raw(kEnd));
  EXPECT_EQ(upload(""), bad + "0 holds no valid Intel HEX record at byte 0. | s0 |");
  folder.write(L"FW.H00", std::string(QrCom::kMaxHexFileBytes + 1, ':'));
  EXPECT_EQ(upload(""),
            "ErrorWhileLoadingHexFile: countFirmwareFiles--Firmware file FW.H00 is too "
            "large. | s0 |");
}

TEST(HexRecordsTest, RecordsAreCutWithoutWhatStandsBetweenThemDamagedOnesRefused) {
  std::vector<QrCom::HexRecord> records;
  const std::string text =
      "\xEF\xBB\xBF" + raw(kData) + " \r\n\r\n" + raw(kShort) + "\t\n" + raw(kEnd) + "\r\n\x1A";
  ASSERT_EQ(QrCom::cutHexRecords(text, records), std::string::npos);
  std::string cut;
  for (const auto& record : records) {
    cut += text.substr(record.begin, record.end - record.begin) + " " +
           std::to_string(record.next) + " ";
  }
  EXPECT_EQ(cut, raw(kData) + " 51 " + raw(kShort) + " 72 " + raw(kEnd) + " 86 ");
  const size_t second = raw(kData).size() + 2;
  const std::pair<std::string, size_t> cases[] = {
      {"\r\n \x1A", 0},  // nothing but what stands between records
      {"\r\nAB" + raw(kEnd), 2},
      {raw(kData) + "\r\n:04001000E4F5902262\r\n", second},  // checksum
      {raw(kData) + "\r\n:05001000E4F5902261\r\n", second},  // length
      {raw(kData) + "\r\n:04001000E4G5902261\r\n", second},  // not a hex digit
      {raw(kData) + " x\r\n" + raw(kEnd), 0},                // trailing text
  };
  for (const auto& [damaged, position] : cases) {
    EXPECT_EQ(QrCom::cutHexRecords(damaged, records), position) << damaged;
    EXPECT_TRUE(records.empty());
  }

  // Every character but NUL has a computer Braille cell of its own.
  std::set<uint8_t> cells;
  for (int code = 1; code < 256; ++code) cells.insert(computerBrailleCell(uint8_t(code)));
  EXPECT_EQ(cells.size(), 255u);
  EXPECT_EQ(computerBrailleCell(0x00), 0x00);
  // Small letters are the capitals without dot 7.
  for (uint8_t letter = 'a'; letter <= 'z'; ++letter) {
    EXPECT_EQ(computerBrailleCell(letter) | 0x40, computerBrailleCell(letter - 0x20));
  }
}

}  // namespace
}  // namespace QrTest::Eprom
