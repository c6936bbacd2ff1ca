// Faults across a whole update on the emulator: a clean update is counted in the host's writes,
// then each write in turn is where the display falls silent, is unplugged, garbles its answers
// or the user presses Cancel. Every such run must end with the failure message in bounded time,
// leave the package folder as it was, and let a later update of the same display succeed. The
// displays sit on COM ports, or on USB-HID where the main firmware goes by IAP with its restarts
// and the port is replaced at each of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "emulator/modules/BluetoothModule.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/IapLoader.h"
#include "emulator/modules/SecondaryProcessors.h"
#include "tests/app/UpdateHarness.h"
#include "tests/support/HexText.h"

namespace QrApp {
namespace {

// Longest a failed update may take on the virtual clock. The slowest, a file on a silent display
// retried twenty times before the user is asked, takes about two minutes.
constexpr uint64_t kBoundMs = 5 * 60 * 1000;

class UpdateFaultTest : public QrTest::UpdateRun,
                        public ::testing::WithParamInterface<std::string> {
 public:
  UpdateFaultTest() { faked = {}; }

  std::set<std::filesystem::path> packageFiles() {
    std::set<std::filesystem::path> paths;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(QrTest::toFsPath(folder.path()))) {
      paths.insert(entry.path());
    }
    return paths;
  }

  // An older display and its package: EPROM firmware in three banks (three data records and
  // the end record: no extended address in a bank), a system file and a Braille table.
  QrEmu::Display& olderDisplayWithPackage() {
    QrEmu::DisplayIdentity identity;
    identity.serialNumber = "COR-22-00417";
    for (uint8_t bank = 0; bank < 3; ++bank) {
      const std::vector<std::string> records = QrTest::hexRecords(3, bank);
      folder.write(L"COR.H0" + std::to_wstring(bank),
                   QrTest::hexText({records.begin() + 1, records.end()}));
    }
    folder.write(L"MSG.QSF", std::string(300, 'm'));
    folder.write(L"German.asc", "German\n1\n12\n");
    return attach(114, 3, identity);
  }

  // A current display and its folder package. Its main firmware goes to the IAP loader over USB
  // only, and its restart on a COM port reports failure however it answers: both stay faked.
  QrEmu::Display& currentDisplayWithPackage() {
    faked = {"loadFirmware", "restartSystem"};
    folder.write(L"VAN.H00", ":00000001FF\r\n");
    folder.write(L"CONFIG.QSF", std::string(300, 'c'));
    folder.write(L"de.QSF", std::string(300, 'd'));
    return attach(84, 0x0103);
  }

  // A current display on USB and its package: the main firmware, the Braille processor's, the
  // USB controller's, the Bluetooth module's, and a system file, whose arrival makes the update
  // end with a restart.
  QrEmu::Display& currentUsbDisplayWithPackage() {
    const std::string image = QrTest::hexText(QrTest::hexRecords(0, 0));  // two records
    for (const wchar_t* name : {L"VAN.H00", L"8051.hex", L"bluetooth.rom"}) {
      folder.write(name, image);
    }
    folder.write(L"vnc2.rom", std::string(16, '\xA5'));
    folder.write(L"de.QSF", std::string(30, 'd'));
    return attach(84, 0x0103, {}, true);
  }

  // Whether a display on USB runs the whole package of currentUsbDisplayWithPackage.
  static void holdsUsbPackage(QrEmu::Display& display) {
    const std::vector<std::string> records = QrTest::hexRecords(0, 0);
    const std::string image = QrTest::hexText(records);
    auto guard = display.lock();
    EXPECT_EQ(display.mode(), QrEmu::Mode::Normal);
    EXPECT_EQ(display.find<QrEmu::IapLoader>()->flashed(), records);
    const auto* processors = display.find<QrEmu::SecondaryProcessors>();
    EXPECT_EQ(processors->brailleProcessor(), QrEmu::Bytes(image.begin(), image.end()));
    EXPECT_EQ(processors->usbController(), QrEmu::Bytes(16, 0xA5));
    EXPECT_EQ(display.find<QrEmu::BluetoothModule>()->firmware(), records);
    const auto& files = display.find<QrEmu::FileTransfer>()->files().everyFile();
    EXPECT_EQ(files.at("/QRSYS/LANGUAGE/de.QSF").content.size(), 30u);
  }

  // The host's writes of a run, how many of them the controller's own thread made before the
  // worker took over, and those before the worker's closing restart (all when there is none).
  struct Count {
    uint32_t writes = 0, beforeUpload = 0, beforeRestart = 0;
  };

  // Runs the update with a trace that counts the writes; `atWrite` sees each write's number.
  UpdateOutcome countedRun(QrEmu::Display& display, Count& count,
                           const std::function<void(uint32_t)>& atWrite = {}) {
    const std::thread::id controller = std::this_thread::get_id();
    bool workerStarted = false;
    // The trace runs under the display's lock: one write at a time, whichever thread wrote.
    display.setTrace([&](const QrEmu::TraceEvent& event) {
      if (event.kind != QrEmu::TraceEvent::FromHost) return;
      ++count.writes;
      if (std::this_thread::get_id() != controller) workerStarted = true;
      if (!workerStarted) ++count.beforeUpload;
      if (this->count(L"restartSystem") == 0) ++count.beforeRestart;
      if (atWrite) atWrite(count.writes);
    });
    const UpdateOutcome outcome = run(folder.path());
    display.setTrace({});
    return outcome;
  }

  // Counts a clean update of a new display that `setUp` attaches with its package, then fails
  // the update of another new one at each of its writes in turn. `check` sees the display after
  // every update that reports success.
  void failAtEveryStep(
      QrEmu::Display& (UpdateFaultTest::*setUp)(),
      void (*check)(QrEmu::Display&) = [](QrEmu::Display&) {}) {
    Count clean;
    QrEmu::Display& first = (this->*setUp)();
    ASSERT_EQ(countedRun(first, clean), UpdateOutcome::Succeeded);
    ASSERT_EQ(ui.messages, QrTest::kUpdateDone);
    check(first);
    ASSERT_GT(clean.writes, clean.beforeUpload);
    const std::set<std::filesystem::path> package = packageFiles();

    const std::string fault = GetParam();
    const bool cancel = fault == "Cancel";
    // Cancel exists only while the progress dialog is open.
    for (uint32_t step = cancel ? clean.beforeUpload + 1 : 1; step <= clean.writes; ++step) {
      SCOPED_TRACE(fault + " at write " + std::to_string(step) + " of " +
                   std::to_string(clean.writes));
      // A display as new each time, so that each run takes the clean run's steps.
      removeDisplays();
      QrEmu::Display& display = (this->*setUp)();
      ui.messages.clear();
      ui.retries = 0;  // a file that keeps failing is given up at the first question
      if (fault == "PowerCut") {
        display.cutPowerAtWrite(step);
      } else {
        display.setFaultsAtWrite(cancel ? 0 : step,
                                 QrEmu::Faults{fault == "Silence", fault == "GarbledAnswers", 0, 0,
                                               false, fault == "Unplug"});
      }
      const uint64_t start = clock->now();
      Count faulty;
      const UpdateOutcome outcome = countedRun(display, faulty, [&](uint32_t write) {
        if (cancel && write == step) ui.pressCancel();
      });
      EXPECT_GE(faulty.writes, step);
      EXPECT_LE(clock->now() - start, kBoundMs);
      if (step > clean.beforeRestart && !cancel) {
        // Whether the closing restart worked is not asked: everything had arrived.
        EXPECT_EQ(outcome, UpdateOutcome::Succeeded);
        EXPECT_EQ(ui.messages, QrTest::kUpdateDone);
        check(display);
      } else if (step > clean.beforeUpload) {
        EXPECT_EQ(outcome, UpdateOutcome::Failed);
        EXPECT_EQ(ui.messages, QrTest::kUpdateFailed);
      } else {
        // Before the upload the display is not recognised: no update is started at all.
        EXPECT_NE(outcome, UpdateOutcome::Succeeded);
        EXPECT_EQ(ui.messages.size(), 1u);
      }
      EXPECT_EQ(packageFiles(), package);

      // The user clears the fault and switches the display off and on: one left in its boot
      // loader or in a dialogue starts its firmware afresh. One on USB is only plugged back in:
      // one left in its IAP loader stays there, one that was restarting is back on the bus.
      display.setFaults({});
      display.endDialogue();
      if (hidPath(display).empty()) display.setMode(QrEmu::Mode::Normal);
      clock->advance(QrEmu::IapLoader::kAwayMs);
      ui.messages.clear();
      ui.retries = 1000;
      EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
      EXPECT_EQ(ui.messages, QrTest::kUpdateDone);
      check(display);
      if (HasFailure()) break;  // one step's report is enough to read
    }
  }
};

TEST_P(UpdateFaultTest, AnOlderDisplaysUpdateFailsCleanlyAtEveryStepAndRecovers) {
  if (GetParam() == "PowerCut") GTEST_SKIP() << "RescueTest: the program's search finishes it";
  failAtEveryStep(&UpdateFaultTest::olderDisplayWithPackage);
}

TEST_P(UpdateFaultTest, ACurrentDisplaysUpdateFailsCleanlyAtEveryStepAndRecovers) {
  if (GetParam() == "PowerCut") GTEST_SKIP() << "its main firmware goes by USB only";
  failAtEveryStep(&UpdateFaultTest::currentDisplayWithPackage);
}

TEST_P(UpdateFaultTest, ACurrentDisplaysUpdateOverUsbFailsCleanlyAtEveryStepAndRecovers) {
  failAtEveryStep(&UpdateFaultTest::currentUsbDisplayWithPackage, holdsUsbPackage);
}

// A refused confirmation (NAK) at each exchange of the file transfers in turn: the update either
// gets over it and the display holds every file whole, or ends with the failure message; and
// the next update succeeds.
TEST_F(UpdateFaultTest, ARefusalAtEachConfirmationNeverLeavesAPartialSuccess) {
  for (uint32_t confirmation = 1;; ++confirmation) {
    SCOPED_TRACE("refusal at confirmation " + std::to_string(confirmation));
    removeDisplays();
    QrEmu::Display& display = currentDisplayWithPackage();
    auto* transfer = display.find<QrEmu::FileTransfer>();
    display.lock(), transfer->faults().nakAt = confirmation, transfer->faults().nakCode = 0x21;
    ui.messages.clear();
    ui.retries = 0;
    const bool succeeded = run(folder.path()) == UpdateOutcome::Succeeded;
    {
      auto guard = display.lock();
      if (transfer->faults().nakAt > 0) break;  // the transfers had fewer confirmations
      const auto& files = transfer->files().everyFile();
      if (succeeded) {
        EXPECT_EQ(files.size(), 2u);
        for (const auto& [name, file] : files) EXPECT_EQ(file.content.size(), 300u) << name;
      }
    }
    EXPECT_EQ(ui.messages, succeeded ? QrTest::kUpdateDone : QrTest::kUpdateFailed);
    ui.retries = 1000;
    EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
    if (HasFailure()) break;
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, UpdateFaultTest,
                         ::testing::Values("Silence", "Unplug", "GarbledAnswers", "Cancel",
                                           "PowerCut"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace QrApp
