// Golden tests of the EPROM upload as a whole: the bytes on the wire, the pauses on the clock,
// the bank decisions, the record confirmations, cancelling and progress.
#include "tests/firmware/EpromFixture.h"

namespace QrTest::Eprom {
namespace {

using QrCom::EpromVersion11FirmwareUploadStrategy;

// The address-bit commands that select banks 0 to 3 of eight (bit 2, bit 1, bit 0).
const Bytes kBankSelection[4] = {hex("36 33 55"), hex("36 33 4F"), hex("36 32 55"),
                                 hex("36 32 4F")};

uint8_t addressBitAnswer(uint8_t command) {
  return command == 0x55 ? 0x75 : command == 0x4F ? 0x6F : command;
}

void selectBank(BootLoaderScript& script, int bank) {
  for (uint8_t command : kBankSelection[bank])
    script.addressBit(command, addressBitAnswer(command));
}

class EpromUploadTest : public EpromFixture {
 protected:
  // Bank count of a display that knows only bits 0..(banks' bits - 1); silence for the rest.
  void countBanks(int banks) {
    script.addressBit(0x36, banks == 8 ? 0x36 : 0x00);
    if (banks == 8) return;
    script.addressBit(0x33, banks == 4 ? 0x33 : 0x00);
    if (banks == 4) return;
    script.addressBit(0x55, banks == 2 ? 0x75 : 0x00);
  }
  void sendFile(int bank, const std::vector<std::string>& records) {
    script.uploadMessage(kMessage40);
    selectBank(script, bank);
    script.beginUpload();
    for (const std::string& record : records) script.record(record);
  }
};

TEST_F(EpromUploadTest, OneFileIntoAnEightBankDisplay) {
  const std::wstring path = writeFile(L"FW.H00", {kDataRecord, kEndRecord});
  reachEpromMode();
  countBanks(8);
  selectBank(script, 0);
  script.erase();
  sendFile(0, {kDataRecord, kEndRecord});
  script.flashSwitch();

  load(path);

  EXPECT_TRUE(script.done());
  EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
  // Found at once: the first bytes are one probe and the message frame.
  EXPECT_EQ(toHex(Bytes(port.written().begin(), port.written().begin() + 7)),
            "FF 79 38 02 50 00 16");
  const std::vector<uint32_t> expected = {
      200,  500,  500, 500, 100, 3000,  // message, INFO, after EPROMUmschaltung
      500,  500,  500,                  // around INFO before the erase, one erase poll
      200,  500,  500, 500, 500, 500,   // message and settling for file 0
      500,  500,                        // after BEGIN_UPLOAD
      500,  500,                        // before the end record
      2000, 1000,                       // after the file
      500,  3000};                      // before INFO and after FLASHUmschaltung
  EXPECT_EQ(clock->pauses(), expected);
  EXPECT_EQ(sink.stages, (std::vector<uint32_t>{0, 1, 2, 3, 4, 6, 5}));
  ASSERT_EQ(sink.progress.size(), 1u);
  EXPECT_EQ(sink.progress[0].fileName, path);
  EXPECT_EQ(sink.progress[0].fileCount, 1u);
  EXPECT_EQ(sink.progress[0].totalBytes, 43u + 2 + 11 + 2);
  EXPECT_EQ(sink.progress[0].doneBytes, 0u);
}

TEST_F(EpromUploadTest, FourFilesGoIntoBanksZeroToThreeWithPausesAfterEach) {
  const std::wstring first = writeFile(L"FW.H00", {kDataRecord, kEndRecord});
  for (int n = 1; n < 4; ++n) {
    writeFile(L"FW.H0" + std::to_wstring(n), {kShortRecord, kEndRecord});
  }
  reachEpromMode();
  countBanks(8);
  selectBank(script, 0);
  script.erase();
  sendFile(0, {kDataRecord, kEndRecord});
  for (int n = 1; n < 4; ++n) sendFile(n, {kShortRecord, kEndRecord});
  script.flashSwitch();

  load(first);

  EXPECT_TRUE(script.done());
  EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
  // File 3: bit 2 = 0, bit 1 = 1, bit 0 = 1, then BEGIN_UPLOAD.
  const std::string written = toHex(port.written());
  EXPECT_NE(written.find("AE 49 4E 46 4F 20 36 AE 49 4E 46 4F 20 32 AE 49 4E 46 4F 20 4F AD"),
            std::string::npos);
  const std::vector<uint32_t> pauses = clock->pauses();
  EXPECT_EQ(countPairs(pauses, 2000, 1000), 4u);
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 3000u), 2);
  EXPECT_EQ(pauses.back(), 3000u);
  // One report as each file begins, one after the sixth record of the set: the end of file 2.
  ASSERT_EQ(sink.progress.size(), 5u);
  EXPECT_EQ(sink.progress[3].fileIndex, 2u);
  EXPECT_EQ(sink.progress[3].doneInFile, kShortRecord.size() + 2 + kEndRecord.size() + 2);
  EXPECT_EQ(sink.progress[4].fileName, folder.path(L"FW.H03"));
  EXPECT_EQ(sink.progress[4].fileIndex, 3u);
  EXPECT_EQ(sink.progress[4].doneInFile, 0u);
}

TEST_F(EpromUploadTest, BankCountDecidesTheErase) {
  const std::wstring path = writeFile(L"FW.H00", {kEndRecord});
  {
    SCOPED_TRACE("two banks: no erase");
    reachEpromMode();
    countBanks(2);
    script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload().record(kEndRecord);
    script.flashSwitch();
    load(path);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(std::count(sink.stages.begin(), sink.stages.end(), 4u), 0);
  }
  restart();
  sink.stages.clear();
  {
    SCOPED_TRACE("four banks: bank 0 selected, erased");
    reachEpromMode();
    countBanks(4);
    script.addressBit(0x33, 0x33).addressBit(0x55, 0x75).erase();
    script.uploadMessage(kMessage40).addressBit(0x33, 0x33).addressBit(0x55, 0x75);
    script.beginUpload().record(kEndRecord).flashSwitch();
    load(path);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(std::count(sink.stages.begin(), sink.stages.end(), 4u), 1);
  }
}

TEST_F(EpromUploadTest, MoreFilesThanBanksFailsBeforeTheErase) {
  const std::wstring first = writeFile(L"FW.H00", {kEndRecord});
  for (int n = 1; n < 5; ++n) writeFile(L"FW.H0" + std::to_wstring(n), {kEndRecord});
  reachEpromMode();
  countBanks(4);

  EXPECT_EQ(failureOf<QrCom::WrongAmountOfHexFilesException>(first),
            L"EpromVersion11FirmwareUploadStrategy::loadFirmware -- Wrong number of firmware "
            L"files.");
  EXPECT_TRUE(script.done());
  EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
}

TEST_F(EpromUploadTest, RecordIsSentUpToFourTimes) {
  const std::wstring path = writeFile(L"FW.H00", {kDataRecord, kEndRecord});
  {
    SCOPED_TRACE("three refusals, then confirmed");
    reachEpromMode();
    countBanks(2);
    script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
    script.record(kDataRecord, 0x00).record(kDataRecord, 0x00).record(kDataRecord, 0x00);
    script.record(kDataRecord, 0x4F).record(kEndRecord, 0xFF).flashSwitch();
    load(path);
    EXPECT_TRUE(script.done());
  }
  restart();
  {
    SCOPED_TRACE("four refusals");
    reachEpromMode();
    countBanks(2);
    script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
    for (int send = 0; send < 4; ++send) script.record(kDataRecord, 0x00);
    EXPECT_EQ(failureOf<QrCom::ErrorWhileLoadingHexFileException>(path),
              L"EpromVersion11FirmwareUploadStrategy::deleteFlashMemory--Firmware block not "
              L"confirmed");
    EXPECT_TRUE(script.done()) << "nothing is sent after the fourth refusal";
    EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
  }
}

TEST_F(EpromUploadTest, EndRecordIsSentAfterSettlingEachTime) {
  const std::wstring path = writeFile(L"FW.H00", {kEndRecord});
  reachEpromMode();
  countBanks(2);
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
  script.record(kEndRecord, 0x00).record(kEndRecord, 0x4F).flashSwitch();
  load(path);
  EXPECT_TRUE(script.done());
  const std::vector<uint32_t> pauses = clock->pauses();
  const std::vector<uint32_t> tail(pauses.end() - 10, pauses.end());
  EXPECT_EQ(tail, (std::vector<uint32_t>{500, 500, 500, 500, 500, 500, 2000, 1000, 500, 3000}));
}

TEST_F(EpromUploadTest, LfOnlyRecordsAreSentWhole) {
  // The loader cuts records at their line end, whichever it is: a record never loses its
  // checksum digits.
  const std::wstring path = writeFile(L"FW.H00", {kDataRecord, kEndRecord}, "\n");
  reachEpromMode();
  countBanks(2);
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
  script.record(kDataRecord).record(kEndRecord).flashSwitch();
  load(path);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
}

TEST_F(EpromUploadTest, CancelDuringTheRecordsTellsTheDisplayAndReturns) {
  const std::wstring path = writeFile(L"FW.H00", {kDataRecord, kShortRecord, kEndRecord});
  EpromVersion11FirmwareUploadStrategy strategy(nullptr, kModel, 40);
  reachEpromMode();
  countBanks(2);
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
  script.record(kDataRecord).then([&] { strategy.cancel(); });
  script.host({0xFF}).host({0xFF});

  load(strategy, path);

  EXPECT_TRUE(script.done());
  EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
  EXPECT_EQ(clock->pauses().back(), 500u);
  EXPECT_EQ(std::count(sink.stages.begin(), sink.stages.end(), 5u), 0) << "no flash switch";
}

TEST_F(EpromUploadTest, CancelDuringTheEraseStopsBeforeTheRecords) {
  const std::wstring path = writeFile(L"FW.H00", {kEndRecord});
  EpromVersion11FirmwareUploadStrategy strategy(nullptr, kModel, 40);
  reachEpromMode();
  countBanks(4);
  script.addressBit(0x33, 0x33).addressBit(0x55, 0x75).infoMode();
  script.host({0x4C}, {0x4C}).then([&] { strategy.cancel(); });
  script.host({0xFF});

  load(strategy, path);

  EXPECT_TRUE(script.done());
  EXPECT_EQ(clock->pauses().back(), 500u);
  EXPECT_EQ(port.calls().back().type, ScriptedPort::Call::Purge);
}

TEST_F(EpromUploadTest, ProgressEveryHundredRecords) {
  std::vector<std::string> records(206, kShortRecord);
  records.push_back(kEndRecord);
  const std::wstring path = writeFile(L"FW.H00", records);
  reachEpromMode();
  countBanks(2);
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload();
  for (const std::string& record : records) script.record(record);
  script.flashSwitch();

  load(path);

  EXPECT_TRUE(script.done());
  const uint64_t line = kShortRecord.size() + 2;
  ASSERT_EQ(sink.progress.size(), 4u);
  for (size_t i = 1; i < 4; ++i) {
    const uint64_t recordsDone = 6 + 100 * (i - 1);  // after records 5, 105, 205 (from 0)
    EXPECT_EQ(sink.progress[i].doneInFile, recordsDone * line) << i;
    EXPECT_EQ(sink.progress[i].doneBytes, recordsDone * line) << i;
    EXPECT_EQ(sink.progress[i].fileBytes, 206 * line + kEndRecord.size() + 2) << i;
  }
}

}  // namespace
}  // namespace QrTest::Eprom
