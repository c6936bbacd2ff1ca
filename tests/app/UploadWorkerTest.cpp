// The upload worker: what it sends in which order for each model group, its retries and
// counters, cancel, and the progress it reports; on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "emulator/modules/FileTransfer.h"
#include "tests/app/UpdateHarness.h"

namespace QrApp {
namespace {

using QrTest::ScriptedDevice;
using QrTest::Texts;
using Pauses = std::vector<uint32_t>;

class UploadWorkerTest : public QrTest::UpdateRun {
 protected:
  // An older display with every secondary processor, and its whole package: main firmware, the
  // four system files, a table, the hangman list and the three secondary firmware images.
  void olderDisplay() {
    attach(114, 3);
    for (const wchar_t* name :
         {L"COR.H00", L"MSG.QSF", L"KBDLYOUT.QSF", L"PRINTERS.QSF", L"HELP.QSF", L"German.asc",
          L"HANGMAN.LST", L"8051.hex", L"vnc2.rom", L"bluetooth.rom"}) {
      folder.write(name, std::string(100, 'x'));
    }
  }
  // The display gets every secondary processor, then `script`.
  void scripted(std::function<void(ScriptedDevice&)> script) {
    configure = [script](ScriptedDevice& device) {
      device.extraServices = {22, 29, 30, 38};
      script(device);
    };
  }
  // How many of the pauses since the `since`th last `milliseconds` long.
  long pausesOf(uint32_t milliseconds, size_t since) {
    const Pauses pauses = clock->pauses();
    return std::count(pauses.begin() + since, pauses.end(), milliseconds);
  }
};

TEST_F(UploadWorkerTest, AnOlderDisplayGetsItsFilesInTheirOrderWithItsPauses) {
  olderDisplay();
  scripted([](ScriptedDevice&) {});
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
  EXPECT_EQ(ui.messages, QrTest::kUpdateDone);
  // Total 1800: firmware 1000 (as its upload counted it), the files but the table, and the
  // secondary firmware. The table's 256 counted as done would carry the share past its end.
  EXPECT_EQ(ui.percents, (std::vector<unsigned>{27, 55, 61, 66, 72, 92, 97, 100, 100, 100}));
  // The display restarts after the main firmware and settles after each system file.
  EXPECT_EQ(clock->pauses(), (Pauses{1000, 2000, 10000, 3000, 1000, 3000, 5000, 1000, 3000, 3000,
                                     1000, 3000, 3000,  3000, 1000, 3000, 1000, 1000, 1000, 1000}));
}

// How often a failing step is tried, and what a cancel leaves undone.
TEST_F(UploadWorkerTest, FilesAreRetriedTwentyTimesThenFiveAfterEachRetryAnsweredTheRestLess) {
  olderDisplay();
  const struct {
    const char* failing;
    int failures;
    bool cancelAtRetry, succeeds;
    std::map<std::wstring, size_t> calls;  // how many calls begin so
  } cases[] = {
      // Retry, then Cancel; or Cancel during the question.
      {"receiveFile", 1000, false, false, {{L"receiveFile MSG", 25}, {L"receiveFile KBD", 0}}},
      {"receiveFile", 1000, true, false, {{L"receiveFile", 20}, {L"cancelTransfer", 1}}},
      {"loadBrailleFirmware", 5, false, false, {{L"loadBraille", 5}, {L"loadUsb", 0}}},
      {"loadUsbFirmware", 1, false, true, {{L"loadUsb", 2}, {L"loadBt", 1}}},
      {"getBrailleTablesNames", 10, false, false, {{L"getBraille", 10}, {L"receiveFile H", 0}}},
  };
  for (const auto& row : cases) {
    scripted([&row](ScriptedDevice& device) { device.failures[row.failing] = row.failures; });
    ui.retries = 1;
    ui.cancelAtRetry = row.cancelAtRetry;
    ui.messages.clear();
    const size_t pauses = clock->pauses().size();
    EXPECT_EQ(run(folder.path()), row.succeeds ? UpdateOutcome::Succeeded : UpdateOutcome::Failed)
        << row.failing;
    for (const auto& [prefix, calls] : row.calls) EXPECT_EQ(count(prefix), calls) << prefix;
    EXPECT_EQ(ui.messages, row.succeeds ? QrTest::kUpdateDone : QrTest::kUpdateFailed);
    // The cancel's dialog closes after the 5 s the cancel waits for the display.
    if (row.cancelAtRetry) {
      EXPECT_EQ(pausesOf(5000, pauses), 1);
    }
  }

  // A transfer cancelled by the user is not retried.
  scripted([](ScriptedDevice& device) { device.receiveFileCancels = true; });
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(count(L"receiveFile"), 1u);
}

TEST_F(UploadWorkerTest, TheTableTakesTheSlotOfItsNameOrAFreeOneOrNone) {
  olderDisplay();
  scripted([](ScriptedDevice& device) {
    for (int slot = 1; slot <= 9; ++slot) device.tableNames.setName(slot, std::to_wstring(slot));
  });
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(count(L"receiveBrailleTable") + count(L"activateBrailleTable"), 0u);
  ASSERT_EQ(ui.messages.size(), 2u);  // the user is told, and the update goes on
  EXPECT_EQ(ui.messages[0].rfind(L"No space for the new Braille table.", 0), 0u);

  // Of the secondary processors only the USB controller is there.
  configure = [](ScriptedDevice& device) {
    device.extraServices = {22, 30};
    device.tableNames.setName(4, L"German");
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(count(L"receiveBrailleTable"), 0u);
  EXPECT_EQ(count(L"activateBrailleTable 4"), 1u);
  EXPECT_EQ(count(L"load"), 2u);  // the main firmware and the USB controller's
}

TEST_F(UploadWorkerTest, ACurrentDisplayGetsItsListsIntoTheirFoldersThenRestarts) {
  faked = {"loadFirmware", "updateDeviceProperties", "loadUsbFirmware", "restartSystem"};
  QrEmu::Display& display = attach(84, 0x0103);
  for (const wchar_t* name : {L"VAN.H00", L"config.qsf", L"de.QSF", L"en.QSF", L"de_hangman.lst",
                              L"song.QMF", L"intro.QTF", L"demo.txt", L"vnc2.rom"}) {
    folder.write(name, "x");
  }
  configure = [](ScriptedDevice& device) { device.extraServices = {30}; };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  std::vector<std::string> stored;
  for (const auto& file : display.find<QrEmu::FileTransfer>()->files().everyFile()) {
    stored.push_back(file.first);
  }
  EXPECT_EQ(stored, (std::vector<std::string>{
                        "/QRSYS/CONFIG.QSF", "/QRSYS/LANGUAGE/de.QSF",
                        "/QRSYS/LANGUAGE/de_hangman.lst", "/QRSYS/LANGUAGE/en.QSF",
                        "/QRSYS/TUTORIALS/intro.QTF", "/QRSYS/demo.txt", "/QRSYS/song.QMF"}));
  EXPECT_EQ(ui.statuses.at(4), L"Sending music files...");  // after the lists of languages
  EXPECT_EQ(log().back(), L"restartSystem");

  // Only a pass that succeeds ends with the restart; its failure fails the update.
  faked.insert("receiveFile");
  for (const char* failing : {"loadUsbFirmware", "updateDeviceProperties", "restartSystem"}) {
    configure = [failing](ScriptedDevice& device) {
      device.extraServices = {30};
      device.failures[failing] = 2;
    };
    EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed) << failing;
    EXPECT_EQ(count(L"restartSystem"), failing == std::string("restartSystem") ? 1u : 0u);
  }
}

TEST_F(UploadWorkerTest, APocketDisplayIsLockedBeforeEachFileOnceItIsFree) {
  attach(97, 0x0103);
  folder.write(L"POC.H00", ":00000001FF\r\n");
  folder.write(L"de.QSF", "x");
  configure = [](ScriptedDevice& device) { device.pollsUntilAvailable = 3; };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(count(L"isAvailable"), 3u);
  EXPECT_EQ(count(L"block"), 1u);
  // A second between the polls; the folder package's own pauses around them.
  EXPECT_EQ(clock->pauses(), (Pauses{1000, 2000, 10000, 1000, 3000, 1000, 1000, 1000, 3000, 1000}));

  // Free only at the last poll, or never: after a minute the file is sent without the lock.
  for (int poll : {60, 1000}) {
    configure = [poll](ScriptedDevice& device) { device.pollsUntilAvailable = poll; };
    const size_t before = clock->pauses().size();
    EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
    EXPECT_EQ(pausesOf(1000, before), 59 + 4);  // none after the last poll
    EXPECT_EQ(count(L"isAvailable"), 60u);
    EXPECT_EQ(count(L"block"), 0u);
    EXPECT_EQ(count(L"receiveFile de.QSF"), 1u);
  }

  // A cancel ends the wait at once, and nothing is sent.
  configure = [this](ScriptedDevice& device) {
    device.pollsUntilAvailable = 1000;
    device.whenPolled = [this, polls = 0]() mutable {
      if (++polls == 3) ui.pressCancel();
    };
  };
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(count(L"isAvailable"), 3u);
  EXPECT_EQ(count(L"receiveFile"), 0u);
}

}  // namespace
}  // namespace QrApp
