// The upload worker: what it sends in which order for each model group, its retries and
// counters, cancel, and the progress it reports; on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "emulator/modules/BrailleTableSlots.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"
#include "tests/app/UpdateHarness.h"

namespace QrApp {
namespace {

using Texts = std::vector<std::wstring>;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class UploadWorkerTest : public QrTest::UpdateRun {
 protected:
  QrEmu::Display& attachCorlet() {
    QrEmu::DisplayIdentity identity;
    identity.serialNumber = "COR-22-00417";
    return attach(114, 3, identity);
  }

  // An older display with every secondary processor, and its package: main firmware, the four
  // system files, a table, the hangman list and the three secondary firmware images.
  void olderDisplayWithFullPackage() {
    attachCorlet();
    configure = [](QrTest::ScriptedDevice& device) {
      device.extraServices = {22, 29, 30, 38};
      device.firmwareBytes = 1000;
    };
    folder.write(L"COR.H00", ":00000001FF\r\n");
    folder.write(L"MSG.QSF", std::string(100, 'm'));
    folder.write(L"KBDLYOUT.QSF", std::string(50, 'k'));
    folder.write(L"PRINTERS.QSF", std::string(50, 'p'));
    folder.write(L"HELP.QSF", std::string(200, 'h'));
    folder.write(L"German.asc", "German\n1\n12\n");
    folder.write(L"HANGMAN.LST", std::string(100, 'w'));
    folder.write(L"8051.hex", std::string(200, '8'));
    folder.write(L"vnc2.rom", std::string(200, 'v'));
    folder.write(L"bluetooth.rom", std::string(100, 'b'));
  }

  // A Vantra with the files of its package lists.
  QrEmu::Display& vantraWith(std::initializer_list<const wchar_t*> names) {
    QrEmu::Display& display = attach(84, 0x0103);
    configure = [](QrTest::ScriptedDevice& device) { device.firmwareBytes = 100; };
    folder.write(L"VAN.H00", ":00000001FF\r\n");
    for (const wchar_t* name : names) folder.write(name, std::string(100, 'x'));
    return display;
  }

  // The files the display's store holds, by path.
  std::vector<std::string> storedFiles(QrEmu::Display& display) {
    auto guard = display.lock();
    std::vector<std::string> paths;
    for (const auto& file : display.find<QrEmu::FileTransfer>()->files().everyFile()) {
      paths.push_back(file.first);
    }
    return paths;
  }

  Texts failure() const { return {L"Error during sending firmware data. File transfer aborted. "}; }
  Texts success() const { return {L"Sending firmware data complete."}; }
};

TEST_F(UploadWorkerTest, AnOlderDisplayGetsItsFilesInTheirOrder) {
  olderDisplayWithFullPackage();
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(
      log(),
      (Texts{L"loadFirmware " + folder.path(L"COR.H00"), L"updateDeviceProperties",
             L"receiveFile MSG.QSF", L"receiveFile KBDLYOUT.QSF", L"receiveFile PRINTERS.QSF",
             L"updateDeviceProperties", L"getBrailleTablesNames", L"receiveBrailleTable German 1",
             L"activateBrailleTable 1", L"receiveFile HELP.QSF", L"receiveFile HANGMAN.LST",
             L"loadBrailleFirmware", L"loadUsbFirmware", L"loadBtFirmware"}));
  EXPECT_EQ(
      ui.statuses,
      (Texts{L"Sending message file...", L"Sending keyboard layout…",
             L"Sending printer definition file…", L"Sending Braille table…", L"Sending help file…",
             L"Sending Hangman files…", L"Braille processor is updating...",
             L"USB processor is updating...", L"Sending Bluetooth firmware data..."}));
  EXPECT_EQ(ui.messageTexts(), success());
  // The pass begins 1 s after the start; 10 s after the main firmware the display has restarted.
  const std::vector<uint32_t> pauses = clock->pauses();
  ASSERT_GE(pauses.size(), 4u);
  EXPECT_EQ((std::vector<uint32_t>(pauses.begin(), pauses.begin() + 4)),
            (std::vector<uint32_t>{1000, 2000, 10000, 3000}));
}

TEST_F(UploadWorkerTest, ThePercentageCountsTheFilesOfTheTotalOnceAndEndsFull) {
  attachCorlet();
  configure = [](QrTest::ScriptedDevice& device) {
    device.firmwareBytes = 1000;
    device.extraServices = {29};
  };
  folder.write(L"COR.H00", ":00000001FF\r\n");
  folder.write(L"MSG.QSF", std::string(100, 'm'));
  folder.write(L"HELP.QSF", std::string(300, 'h'));
  folder.write(L"8051.hex", std::string(200, '8'));
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  // Total 1600: firmware 1000 (as its upload counted it), message 100, help 300, Braille
  // processor 200 (half of it done at the report).
  EXPECT_EQ(ui.percents, (std::vector<unsigned>{31, 62, 68, 87, 93, 100}));
}

TEST_F(UploadWorkerTest, FilesCountedOnlyAsDoneNeverCarryTheBarPastFull) {
  vantraWith({L"CONFIG.QSF", L"de.QSF"});
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  ASSERT_FALSE(ui.percents.empty());
  EXPECT_EQ(*std::max_element(ui.percents.begin(), ui.percents.end()), 100u);
  EXPECT_EQ(ui.percents.back(), 100u);
}

TEST_F(UploadWorkerTest, ACurrentDisplayGetsItsListsIntoTheirFolders) {
  faked = {"loadFirmware", "updateDeviceProperties", "restartSystem"};
  QrEmu::Display& display = vantraWith({L"config.qsf", L"de.QSF", L"en.QSF", L"de_hangman.lst",
                                        L"song.QMF", L"intro.QTF", L"demo.txt"});
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(storedFiles(display),
            (std::vector<std::string>{"/QRSYS/CONFIG.QSF", "/QRSYS/LANGUAGE/de.QSF",
                                      "/QRSYS/LANGUAGE/de_hangman.lst", "/QRSYS/LANGUAGE/en.QSF",
                                      "/QRSYS/TUTORIALS/intro.QTF", "/QRSYS/demo.txt",
                                      "/QRSYS/song.QMF"}));
  EXPECT_EQ(ui.statuses,
            (Texts{L"Sending system files...", L"Sending system files...",
                   L"Sending system files...", L"Sending Hangman files…", L"Sending music files...",
                   L"Sending tutorial files...", L"Sending tutorial files..."}));
  EXPECT_EQ(log().back(), L"restartSystem");
}

TEST_F(UploadWorkerTest, EmptyListsChangeNoDirectoryAndTutorialsAloneNeedNoRestart) {
  faked = {"loadFirmware", "updateDeviceProperties", "restartSystem"};
  QrEmu::Display& display = vantraWith({L"intro.QTF"});
  std::string sent;
  display.setTrace([&sent](const QrEmu::TraceEvent& event) {
    if (event.kind == QrEmu::TraceEvent::FromHost)
      sent.append(event.bytes.begin(), event.bytes.end());
  });
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  const auto occurrences = [&sent](const std::string& text) {
    size_t count = 0;
    for (size_t at = sent.find(text); at != std::string::npos; at = sent.find(text, at + 1)) {
      ++count;
    }
    return count;
  };
  EXPECT_EQ(occurrences("/QRSYS/LANGUAGE"), 1u);   // made, never entered
  EXPECT_EQ(occurrences("/QRSYS/TUTORIALS"), 2u);  // made and entered
  EXPECT_EQ(storedFiles(display), (std::vector<std::string>{"/QRSYS/TUTORIALS/intro.QTF"}));
  EXPECT_EQ(calls[0].count(L"restartSystem"), 0u);
}

TEST_F(UploadWorkerTest, APocketDisplayIsLockedBeforeEachFileOnceItIsFree) {
  attach(97, 0x0103);
  folder.write(L"POC.H00", ":00000001FF\r\n");
  folder.write(L"de.QSF", "x");
  configure = [](QrTest::ScriptedDevice& device) { device.availableAtPoll(3); };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(calls[0].count(L"isAvailable"), 3u);
  EXPECT_EQ(calls[0].count(L"block"), 1u);

  // Free only at the last poll, or never: after a minute the file is sent without the lock.
  for (int poll : {60, 1000}) {
    configure = [poll](QrTest::ScriptedDevice& device) { device.availableAtPoll(poll); };
    EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
    EXPECT_EQ(calls[0].count(L"isAvailable"), 60u);
    EXPECT_EQ(calls[0].count(L"block"), 0u);
    EXPECT_EQ(calls[0].count(L"receiveFile de.QSF"), 1u);
  }

  // A cancel ends the wait at once, and nothing is sent.
  configure = [this](QrTest::ScriptedDevice& device) {
    device.availableAtPoll(1000);
    device.whenPolled = [this, polls = 0]() mutable {
      if (++polls == 3) ui.pressCancel();
    };
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"isAvailable"), 3u);
  EXPECT_EQ(calls[0].count(L"receiveFile"), 0u);
}

TEST_F(UploadWorkerTest, AFileIsRetriedTwentyTimesThenAfterEachQuestionFiveMore) {
  olderDisplayWithFullPackage();
  configure = [](QrTest::ScriptedDevice& device) { device.receiveFileFailures = 1000; };
  ui.retryAnswers = {true, false};
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"receiveFile MSG.QSF"), 25u);
  EXPECT_EQ(ui.retryQuestions, 2);
  EXPECT_EQ(calls[0].count(L"receiveFile KBDLYOUT.QSF"), 0u);  // a failed step ends the pass
  EXPECT_EQ(ui.messageTexts(), failure());

  configure = [](QrTest::ScriptedDevice& device) { device.receiveFileFailures = 22; };
  ui.retryQuestions = 0;
  ui.messages.clear();
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(calls[0].count(L"receiveFile MSG.QSF"), 23u);
  EXPECT_EQ(ui.retryQuestions, 1);
}

TEST_F(UploadWorkerTest, CancelDuringTheRetriesEndsThemAtTheNextAttempt) {
  olderDisplayWithFullPackage();
  configure = [](QrTest::ScriptedDevice& device) { device.receiveFileFailures = 1000; };
  ui.cancelAtRetryQuestion = 1;
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"receiveFile"), 20u);
  EXPECT_EQ(calls[0].count(L"cancelTransfer"), 1u);
  EXPECT_EQ(ui.messageTexts(), failure());
  // The dialog closes after the 5 s the cancel waits for the display.
  const std::vector<uint32_t> pauses = clock->pauses();
  EXPECT_NE(std::find(pauses.begin(), pauses.end(), 5000u), pauses.end());
}

TEST_F(UploadWorkerTest, ATransferCancelledByTheUserIsNotRetried) {
  olderDisplayWithFullPackage();
  configure = [](QrTest::ScriptedDevice& device) { device.receiveFileCancels = true; };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"receiveFile"), 1u);
  EXPECT_EQ(ui.retryQuestions, 0);
}

TEST_F(UploadWorkerTest, TheBrailleProcessorGetsFiveAttemptsTheUsbProcessorTwo) {
  olderDisplayWithFullPackage();
  const auto withFailures = [this](int braille, int usb) {
    configure = [braille, usb](QrTest::ScriptedDevice& device) {
      device.extraServices = {22, 29, 30, 38};
      device.brailleFailures = braille;
      device.usbFailures = usb;
    };
    return run(folder.path());
  };
  EXPECT_EQ(withFailures(4, 1), UpdateOutcome::Succeeded);
  EXPECT_EQ(calls[0].count(L"loadBrailleFirmware"), 5u);
  EXPECT_EQ(calls[0].count(L"loadUsbFirmware"), 2u);

  EXPECT_EQ(withFailures(5, 0), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"loadBrailleFirmware"), 5u);
  EXPECT_EQ(calls[0].count(L"loadUsbFirmware"), 0u);

  EXPECT_EQ(withFailures(0, 2), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"loadUsbFirmware"), 2u);
  EXPECT_EQ(calls[0].count(L"loadBtFirmware"), 0u);
}

TEST_F(UploadWorkerTest, TheRestartFollowsOnlyASuccessfulPassWithSystemFiles) {
  vantraWith({L"de.QSF", L"vnc2.rom"});
  configure = [](QrTest::ScriptedDevice& device) {
    device.extraServices = {30};
    device.usbFailures = 2;
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"restartSystem"), 0u);

  configure = [](QrTest::ScriptedDevice& device) { device.extraServices = {30}; };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(log().back(), L"restartSystem");
}

TEST_F(UploadWorkerTest, AFailingStepBetweenTheFilesEndsThePass) {
  vantraWith({L"de.QSF"});
  for (const char* operation : {"updateDeviceProperties", "restartSystem"}) {
    configure = [operation](QrTest::ScriptedDevice& device) { device.failing = {operation}; };
    EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed) << operation;
  }
  // A Pockel asks whether it is free before each file.
  displays.clear();
  attach(97, 0x0103);
  folder.write(L"POC.H00", ":00000001FF\r\n");
  configure = [](QrTest::ScriptedDevice& device) { device.failing = {"isAvailable"}; };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"receiveFile"), 0u);
}

TEST_F(UploadWorkerTest, AFullDeviceIsToldAndTheUpdateStillSucceeds) {
  olderDisplayWithFullPackage();
  configure = [](QrTest::ScriptedDevice& device) {
    device.extraServices = {22};
    for (int slot = 1; slot <= 9; ++slot)
      device.tableNames.setName(slot, L"T" + std::to_wstring(slot));
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(calls[0].count(L"receiveBrailleTable"), 0u);
  EXPECT_EQ(calls[0].count(L"activateBrailleTable"), 0u);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text,
            L"No space for the new Braille table. Please delete one Braille table from your "
            L"device. Than you can use QRCom to load the new Braille table. ");
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(ui.messages[1].text, success()[0]);
}

TEST_F(UploadWorkerTest, ATableOfTheSameNameIsOnlyMadeCurrent) {
  olderDisplayWithFullPackage();
  configure = [](QrTest::ScriptedDevice& device) {
    device.extraServices = {22};
    device.tableNames.setName(1, L"US");
    device.tableNames.setName(4, L"German");
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(calls[0].count(L"receiveBrailleTable"), 0u);
  EXPECT_EQ(calls[0].count(L"activateBrailleTable 4"), 1u);
}

TEST_F(UploadWorkerTest, TheTableNamesAreAskedTenTimes) {
  olderDisplayWithFullPackage();
  configure = [](QrTest::ScriptedDevice& device) {
    device.extraServices = {22};
    device.tableNameFailures = 9;
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(calls[0].count(L"getBrailleTablesNames"), 10u);

  configure = [](QrTest::ScriptedDevice& device) {
    device.extraServices = {22};
    device.tableNameFailures = 10;
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(calls[0].count(L"getBrailleTablesNames"), 10u);
  EXPECT_EQ(calls[0].count(L"receiveFile HELP.QSF"), 0u);
}

TEST_F(UploadWorkerTest, WithoutMainFirmwareTheRestOfThePassStillRuns) {
  attachCorlet();
  configure = [](QrTest::ScriptedDevice& device) { device.serialNumber = L""; };
  folder.write(L"MSG.QSF", "m");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(log(), (Texts{L"updateDeviceProperties", L"receiveFile MSG.QSF"}));
}

TEST_F(UploadWorkerTest, AnOlderDisplaysWholeUpdateOnTheEmulator) {
  faked = {};
  QrEmu::Display& display = attachCorlet();
  const std::filesystem::path samples = QR_TEST_DATA "/firmware";
  for (int bank = 0; bank < 3; ++bank) {
    const std::string suffix = ".H0" + std::to_string(bank);
    std::filesystem::copy_file(
        samples / ("SAMPLE" + suffix),
        QrTest::toFsPath(folder.path(L"COR" + std::wstring(suffix.begin(), suffix.end()))));
  }
  folder.write(L"MSG.QSF", std::string(300, 'm'));
  folder.write(L"HANGMAN.LST", "apple\r\nbanana\r\n");
  folder.write(L"German.asc", "German\n1\n12\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(ui.messageTexts(), success());

  auto guard = display.lock();
  const QrEmu::EpromFlash& flash = display.find<QrEmu::EpromBootLoader>()->flash();
  for (int bank = 0; bank < 3; ++bank) {
    EXPECT_EQ(flash.differenceFrom(bank, readFile(samples / ("SAMPLE.H0" + std::to_string(bank)))),
              "")
        << bank;
  }
  const QrEmu::DeviceFileSystem& files = display.find<QrEmu::FileTransfer>()->files();
  ASSERT_NE(files.find("MSG.QSF"), nullptr);
  EXPECT_EQ(files.find("MSG.QSF")->content.size(), 300u);
  ASSERT_NE(files.find("HANGMAN.LST"), nullptr);
  EXPECT_EQ(display.find<QrEmu::BrailleTableSlots>()->activeSlot, 1);
}

}  // namespace
}  // namespace QrApp
