// Golden tests of the boot loader's mode switches and their failures: finding the display,
// EPROM and flash mode, the second switch-over of models 0x36/0x38, banks and the erase.
#include <tuple>

#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/firmware/EpromFixture.h"
#include "tests/support/Failures.h"

namespace QrTest::Eprom {
namespace {

using QrCom::EpromVersion11FirmwareUploadStrategy;

const Bytes kMessage64 = kMessage40 + Bytes(24, 0x00);

class EpromSwitchesTest : public EpromFixture {
 protected:
  void SetUp() override { path = writeFile(L"FW.H00", {kEndRecord}); }
  // A display that refuses INFO right after the upload message, ending the upload there.
  void refuseInfoMode() { script.host({0xAE}, {0x00}); }
  // EPROM mode and two banks, ready for the one file.
  void reachTwoBanks() {
    reachEpromMode();
    script.addressBit(0x36, 0x00).addressBit(0x33, 0x00).addressBit(0x55, 0x75);
  }
  void expectFailure(const std::wstring& message, const std::wstring& actual) {
    EXPECT_EQ(actual, message);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(toHex(port.written()), toHex(script.transcript())) << "nothing after the failure";
  }

  std::wstring path;
};

TEST_F(EpromSwitchesTest, DisplayFoundByTheFirstProbeGetsOneWakeByte) {
  script.probe(kModel).uploadMessage(kMessage40);
  refuseInfoMode();
  expectFailure(L"EpromVersion11FirmwareUploadStrategy::switchToEpromMode--Cannot start INFO mode.",
                failureOf<QrCom::CannotSwitchToEpromException>(path));
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{200, 500, 500, 500, 100}));
  EXPECT_EQ(sink.stages, (std::vector<uint32_t>{0, 1, 2}));
}

TEST_F(EpromSwitchesTest, WrongAnswersToTheProbeArePausedSilenceIsNot) {
  script.host({0xFF}, {0xFE, 0x05}).host({0xFF}).host({0xFF}, {0x00, kModel});
  script.probe(kModel).uploadMessage(kMessage40);
  refuseInfoMode();
  failureOf<QrCom::CannotSwitchToEpromException>(path);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(clock->pauses(), (std::vector<uint32_t>{100, 100, 200, 500, 500, 500, 100}));
}

TEST_F(EpromSwitchesTest, FiftyOneFailedProbesFindNoDisplay) {
  for (int probe = 0; probe < 51; ++probe) script.host({0xFF}, {0xFE, 0x01});
  expectFailure(L"EpromVersion11FirmwareUploadStrategy::switchToEpromMode--No response on reset.",
                failureOf<QrCom::NoDeviceFoundException>(path));
  EXPECT_EQ(clock->pauses(), std::vector<uint32_t>(51, 100));
}

TEST_F(EpromSwitchesTest, EpromSwitchStopsAtTheFirstWrongEcho) {
  script.probe(kModel).uploadMessage(kMessage40).host({0xAE}, {0x4F});
  script.host(ascii("E"), ascii("E")).host(ascii("P"), ascii("P")).host(ascii("R"), ascii("X"));
  expectFailure(
      L"EpromVersion11FirmwareUploadStrategy::switchToEpromMode--Wrong answer to switch eprom "
      L"command.",
      failureOf<QrCom::CannotSwitchToEpromException>(path));
}

TEST_F(EpromSwitchesTest, UploadMessageDependsOnTheModel) {
  {
    SCOPED_TRACE("model 4 shows nothing");
    script.probe(4);
    refuseInfoMode();
    failureOf<QrCom::CannotSwitchToEpromException>(path, 4, 0);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(toHex(port.written()), "FF AE");
  }
  restart();
  {
    SCOPED_TRACE("16 cells show the first 16 characters");
    script.probe(50).uploadMessage(hex("01 4B 0A 17 0D 3A 01 17 11 00 65 0F 07 15 01 19 28"));
    refuseInfoMode();
    failureOf<QrCom::CannotSwitchToEpromException>(path, 50, 16);
    EXPECT_TRUE(script.done());
  }
}

TEST_F(EpromSwitchesTest, AddressBitFailures) {
  reachEpromMode();
  script.host({0xAE}, {0x00});
  expectFailure(L"EpromVersion11FirmwareUploadStrategy::setAddressBit--Cannot start INFO mode.",
                failureOf<QrCom::CannotSwitchFlashBanksException>(path));

  restart();
  reachEpromMode();
  script.host({0xAE}, {0x4F}).host(ascii("INFO "), ascii("INFOX"));
  expectFailure(
      L"EpromVersion11FirmwareUploadStrategy::setAddressBit--Invalid confirmation of INFO command",
      failureOf<QrCom::CannotSwitchFlashBanksException>(path));

  restart();
  reachEpromMode();
  script.addressBit(0x36, 0x36).addressBit(0x36, 0x00);  // 8 banks, then bank 0 refused
  expectFailure(
      L"EpromVersion11FirmwareUploadStrategy::switchToFlashBank--Error while switching to flash "
      L"bank",
      failureOf<QrCom::CannotSwitchFlashBanksException>(path));
}

TEST_F(EpromSwitchesTest, EraseFailures) {
  const std::wstring prefix = L"EpromVersion11FirmwareUploadStrategy::deleteFlashMemory--";
  auto reachErase = [&] {
    restart();
    reachEpromMode();
    script.addressBit(0x36, 0x00).addressBit(0x33, 0x33);  // 4 banks
    script.addressBit(0x33, 0x33).addressBit(0x55, 0x75);  // bank 0
  };
  reachErase();
  script.host({0xAE}, {0x00});
  expectFailure(prefix + L"Cannot start INFO mode.",
                failureOf<QrCom::CannotSwitchFlashBanksException>(path));

  reachErase();
  script.host({0xAE}, {0x4F}).host(ascii("INFO "), ascii("INFOX"));
  expectFailure(prefix + L"Invalid confirmation of INFO command",
                failureOf<QrCom::CannotSwitchFlashBanksException>(path));

  reachErase();
  script.infoMode().host({0x4C}, hex("00 4D 00"));
  const size_t before = clock->pauses().size();
  expectFailure(prefix + L"No ACK_DELETE_FLASH received",
                failureOf<QrCom::CannotDeleteFlashException>(path));
  // Three wrong bytes, then silence: twenty polls in all, after the settling around INFO.
  const std::vector<uint32_t> pauses = clock->pauses();
  ASSERT_EQ(pauses.size() - before, 6u + 2 + 20);
  EXPECT_EQ(std::vector<uint32_t>(pauses.end() - 22, pauses.end()), std::vector<uint32_t>(22, 500));
}

TEST_F(EpromSwitchesTest, EraseWaitsForItsAcknowledgement) {
  reachEpromMode();
  script.addressBit(0x36, 0x00).addressBit(0x33, 0x33).addressBit(0x33, 0x33);
  script.addressBit(0x55, 0x75).infoMode().host({0x4C}, hex("00 00 4C"));
  script.uploadMessage(kMessage40).addressBit(0x33, 0x33).addressBit(0x55, 0x75);
  script.beginUpload().record(kEndRecord).flashSwitch();
  load(path);
  EXPECT_TRUE(script.done());
  // After EPROM mode: the settling around INFO, three erase polls, the message for file 0.
  const std::vector<uint32_t> pauses = clock->pauses();
  EXPECT_EQ(std::vector<uint32_t>(pauses.begin() + 6, pauses.begin() + 12),
            (std::vector<uint32_t>{500, 500, 500, 500, 500, 200}));
}

TEST_F(EpromSwitchesTest, BeginUploadAndFlashSwitchFailures) {
  reachTwoBanks();
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).host({0xAD}, {0x00});
  expectFailure(
      L"EpromVersion11FirmwareUploadStrategy::deleteFlashMemory--Invalid response for "
      L"BEGIN_UPLOAD",
      failureOf<QrCom::ErrorWhileLoadingHexFileException>(path));

  restart();
  reachTwoBanks();
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload().record(kEndRecord);
  script.host({0xAE}, {0x00});
  expectFailure(L"EpromVersion11FirmwareUploadStrategy::switchToFlashMode--Cannot start INFO mode.",
                failureOf<QrCom::CannotSwitchToFlashException>(path));

  restart();
  reachTwoBanks();
  script.uploadMessage(kMessage40).addressBit(0x55, 0x75).beginUpload().record(kEndRecord);
  script.host({0xAE}, {0x4F}).host(ascii("FLASHUmschaltung "), ascii("FLASHUmschaltungX"));
  expectFailure(
      L"EpromVersion11FirmwareUploadStrategy::switchToFlashMode--Invalid confirmation of "
      L"FLASHUmschaltung command",
      failureOf<QrCom::CannotSwitchToFlashException>(path));
}

class RvnSwitchTest : public EpromSwitchesTest {
 protected:
  static constexpr uint8_t kRvn = 0x36;

  // The second switch-over up to the erase, each step with the answer `bad` replacing the
  // good one at `failAt` (none when out of range).
  struct Step {
    Bytes written, good, bad;
    const wchar_t* failure;
  };
  const std::vector<Step> steps = {
      {{0xAE}, {0x4F}, {0x00}, L"didn't get 0x4f after sending 0xae."},
      {ascii("INFO "), ascii("INFOI"), ascii("INFOX"), L"failed to retrieve INFOI."},
      {{0x36}, {0x36}, {0x35}, L"Failed to read 6"},
      {{0xAE}, {0x4F}, {0x6F}, L"didn't get 0x4f after sending 0xae the second time."},
      {ascii("INFO "), ascii("INFOI"), ascii("INF"), L"failed to retrieve INFOI."},
      {{0x33}, {0x33}, {0x32}, L"Failed to read 3"},
      {{0xAE}, {0x4F}, {0x00}, L"didn't get 0x4f after sending 0xae the third time."},
      {ascii("INFO "), ascii("INFOI"), ascii("IMFOI"), L"failed to retrieve INFOI."},
      {{0x55}, {0x75}, {0x55}, L"Failed to read u"},
      {{0xAE}, {0x4F}, {0x00}, L"didn't get 0x4f after sending 0xae the fourth time."},
      {ascii("INFO "), ascii("INFOI"), ascii("INFO "), L"failed to retrieve INFOI."},
  };

  void reachRvnSwitch(size_t failAt) {
    restart();
    reachEpromMode(kRvn, kMessage64);
    script.host({0xFF}, {0x00}).host({0xFF}, {0xFE}).host({0xFF});
    for (size_t i = 0; i < steps.size() && i <= failAt; ++i) {
      script.host(steps[i].written, i == failAt ? steps[i].bad : steps[i].good);
    }
  }
};

TEST_F(RvnSwitchTest, SecondSwitchOverSelectsBankZeroAndErases) {
  reachRvnSwitch(steps.size());
  script.host({0x4C}, hex("00 4C"));
  script.uploadMessage(kMessage64).beginUpload().record(kEndRecord).flashSwitch();

  load(path, kRvn, 64);

  EXPECT_TRUE(script.done());
  EXPECT_EQ(toHex(port.written()), toHex(script.transcript()));
  const std::vector<uint32_t> pauses = clock->pauses();
  const std::vector<uint32_t> rvn(pauses.begin() + 6, pauses.begin() + 12);
  EXPECT_EQ(rvn, (std::vector<uint32_t>{200, 200, 500, 500, 3000, 3000}));
  EXPECT_EQ(sink.stages, (std::vector<uint32_t>{0, 1, 2, 6, 5})) << "no bank count, no erase";
}

TEST_F(RvnSwitchTest, EraseUnconfirmedAfterFifteenPollsGoesOn) {
  reachRvnSwitch(steps.size());
  script.host({0x4C}, Bytes(15, 0x00));
  script.uploadMessage(kMessage64).beginUpload().record(kEndRecord).flashSwitch();
  load(path, kRvn, 64);
  EXPECT_TRUE(script.done());
  const std::vector<uint32_t> pauses = clock->pauses();
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 3000u), 15 + 2);
}

TEST_F(RvnSwitchTest, EveryStepHasItsFailure) {
  for (size_t failAt = 0; failAt < steps.size(); ++failAt) {
    SCOPED_TRACE(failAt);
    reachRvnSwitch(failAt);
    expectFailure(std::wstring(L"EpromVersion11FirmwareUploadStrategy::switchRvnToEpromMode--") +
                      steps[failAt].failure,
                  failureOf<QrCom::CannotSwitchToEpromException>(path, kRvn, 64));
  }
}

TEST_F(RvnSwitchTest, DisplayThatNeverWakesIsGivenUp) {
  reachEpromMode(kRvn, kMessage64);
  for (int attempt = 0; attempt < 51; ++attempt) script.host({0xFF}, {0x00});
  expectFailure(
      L"EpromVersion11FirmwareUploadStrategy::switchRvnToEpromMode--didn't get 0xfe after "
      L"sending 0xff.",
      failureOf<QrCom::CannotSwitchToEpromException>(path, kRvn, 64));
}

TEST(EpromStrategyTest, ServesOnlyTheMainFirmware) {
  ScriptedPort port;
  EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
  EXPECT_TRUE(strategy.supportsService(11));
  for (int other : {0, 12, 29, 30, 38}) EXPECT_FALSE(strategy.supportsService(other)) << other;
  EXPECT_TRUE(QrCom::QrBrlOsFirmwareUploadStrategy(nullptr).supportsService(29))
      << "the current displays' strategy serves the Braille processor";
  EXPECT_TRUE(QrTest::eachFailsAsNotSupported({
      {[&] { strategy.loadBtFirmware(port, L"bt.rom", nullptr); },
       L"NoFirmwareUploadStrategy::loadBtFirmware -- "},
      {[&] { strategy.executeBrailleFirmwareUpdate(port, L"8051.hex", nullptr); },
       L"NoFirmwareUploadStrategy::executeBrailleFirmwareUpdate -- "},
      {[&] { strategy.executeUsbFirmwareUpdate(port, L"vnc2.rom", nullptr); },
       L"NoFirmwareUploadStrategy::executeUsbFirmwareUpdate -- "},
      {[&] { strategy.restartSystem(port, true); },
       L"EpromVersion11FirmwareUploadStrategy::restartSystem -- "},
  }));
  EXPECT_NE(dynamic_cast<EpromVersion11FirmwareUploadStrategy*>(strategy.clone().get()), nullptr);
  EXPECT_TRUE(port.written().empty());
}

}  // namespace
}  // namespace QrTest::Eprom
