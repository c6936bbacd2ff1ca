// An older display whose power fails during its main firmware waits in its boot loader, where it
// tells its serial number but not its model. The next update finds it there through the model
// remembered for that serial number and finishes it. On the virtual clock, with the program's
// own search.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/posix/ComeBackCheck.h"
#include "app/posix/DisplayListing.h"
#include "app/posix/WaitingDisplays.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/FileTransfer.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/PosixPortTable.h"
#include "tests/app/UpdateHarness.h"
#include "tests/support/HexText.h"

namespace QrApp {
namespace {

constexpr int kBanks = 2;
constexpr int kRecords = 40;  // per bank
const QrTest::Texts kProved = {QrTest::kUpdateDone[0], L"The display answers again."};

class RescueTest : public QrTest::UpdateRun {
 protected:
  RescueTest() {
    QrCom::portTable().setPaths({"/dev/ttyS9"});
    for (uint8_t bank = 0; bank < kBanks; ++bank) {
      folder.write(L"COR.H0" + std::to_wstring(bank), bankText(bank));
    }
    folder.write(L"MSG.QSF", std::string(300, 'm'));
  }
  ~RescueTest() override { QrCom::portTable().setPaths({}); }

  static std::string bankText(uint8_t bank) {
    const std::vector<std::string> records = QrTest::hexRecords(kRecords, bank);
    return QrTest::hexText({records.begin() + 1, records.end()});
  }

  // A new Corlet on COM 1, counting the host's writes; its boot loader answers the wake byte
  // with 0xFE alone or, with `wakeTellsModel`, adds the model id.
  QrEmu::Display& newCorlet(bool wakeTellsModel = false) {
    removeDisplays();
    QrEmu::DisplayIdentity identity;
    identity.serialNumber = "COR-22-00417";
    QrEmu::Display& display = attach(114, 3, identity);
    if (wakeTellsModel) display.find<QrEmu::EpromBootLoader>()->answerWakeWithModel();
    display.setTrace([this](const QrEmu::TraceEvent& event) {
      if (event.kind == QrEmu::TraceEvent::FromHost) ++writes;
    });
    writes = 0;
    return display;
  }

  // One update as the program runs it: its search, the folder given, the proof of the result.
  UpdateOutcome update() {
    ui.newDialog();
    ui.messages.clear();
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    leftAlone.clear();
    FirmwareUploadControler controller(
        ui, ui, searchWithWaitingDisplays(false, settings, kLanguageEnglish, stream, &leftAlone));
    ComeBackCheck check(kLanguageEnglish, &settings);
    controller.setWitness(&check);
    const UpdateOutcome outcome = updateFromCommandLine(controller, folder.path());
    std::fclose(stream);
    notes.assign(buffer, size);
    std::free(buffer);
    return outcome;
  }

  // The display runs exactly the package's firmware and holds its message file.
  void holdsPackage(QrEmu::Display& display) {
    auto guard = display.lock();
    EXPECT_EQ(display.mode(), QrEmu::Mode::Normal);
    const QrEmu::EpromFlash& flash = display.find<QrEmu::EpromBootLoader>()->flash();
    for (uint8_t bank = 0; bank < kBanks; ++bank) {
      EXPECT_EQ(flash.differenceFrom(bank, bankText(bank)), "") << "bank " << int(bank);
    }
    const auto& files = display.find<QrEmu::FileTransfer>()->files().everyFile();
    EXPECT_EQ(files.size(), 1u);
    for (const auto& [name, file] : files)
      EXPECT_EQ(name + " " + std::to_string(file.content.size()), "MSG.QSF 300");
    EXPECT_EQ(ui.messages, kProved);
  }

  QrTest::TempDir home;
  SettingsFile settings{QrCom::toUtf8(home.path(L"updater.conf"))};
  std::string notes;
  std::vector<WaitingDisplay> leftAlone;
  uint32_t writes = 0;
};

// The power is cut at each write of a whole update in turn; where that leaves the display in its
// boot loader, the next update must finish it, anywhere else simply succeed. A boot loader that
// answers the wake byte with 0xFE alone is named by the search; one that adds the model id is
// found as a running display would be.
TEST_F(RescueTest, APowerCutAnywhereInTheMainFirmwareIsFinishedByTheNextUpdate) {
  QrEmu::Display& clean = newCorlet();
  ASSERT_EQ(update(), UpdateOutcome::Succeeded);
  holdsPackage(clean);
  const uint32_t all = writes;
  for (const bool wakeTellsModel : {false, true}) {
    int waited = 0;
    for (uint32_t cut = 1; cut <= all && !HasFailure(); ++cut) {
      SCOPED_TRACE("power cut at write " + std::to_string(cut) + " of " + std::to_string(all) +
                   (wakeTellsModel ? ", the boot loader tells its model" : ""));
      QrEmu::Display& display = newCorlet(wakeTellsModel);
      display.cutPowerAtWrite(cut);
      update();
      const bool inBootLoader = display.mode() == QrEmu::Mode::BootLoader;
      if (inBootLoader || ui.messages != kProved) {
        ASSERT_EQ(update(), UpdateOutcome::Succeeded) << notes;
      }
      if (inBootLoader) {
        ++waited;
        EXPECT_EQ(notes, wakeTellsModel ? ""
                                        : "The Corlet (COR-22-00417) at /dev/ttyS9 is waiting in "
                                          "its boot loader: its last update did not finish. "
                                          "Updating it loads its firmware again.\n");
      }
      holdsPackage(display);
    }
    EXPECT_GT(waited, kBanks * kRecords);
  }
}

// Without the remembered model the display is named and left alone; with it, one whose serial
// number does not fit the package is refused.
TEST_F(RescueTest, AWaitingDisplayIsLeftAloneUnlessItsModelIsKnownAndFits) {
  removeDisplays();
  QrEmu::DisplayIdentity identity;
  identity.serialNumber = "SEL-22-00417";
  QrEmu::Display& display = attach(116, 3, identity);
  display.setMode(QrEmu::Mode::BootLoader);
  EXPECT_EQ(update(), UpdateOutcome::NoDevice);
  EXPECT_EQ(notes,
            "A display (SEL-22-00417) at /dev/ttyS9 is waiting in its boot loader, but its model "
            "is not known here: it is left alone.\n");
  ASSERT_EQ(leftAlone.size(), 1u);
  EXPECT_EQ(displaysAsJson({listedWaitingDisplay(leftAlone[0].comPortNumber, leftAlone[0].serial,
                                                 kLanguageEnglish)}),
            R"([{"firmware":null,"link":"serial","model":null,"modelId":null,"path":"/dev/ttyS9",)"
            R"("serial":"SEL-22-00417","state":"boot-loader"}])"
            "\n");
  settings.rememberModel(L"SEL-22-00417", 116);
  EXPECT_EQ(update(), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.messages.at(0).substr(0, 70),
            L"This firmware cannot be transferred to the device with the serial numb");
  // Silent after its 0xFE: no serial number.
  display.setFaultsAtWrite(display.hostWrites() + 2, QrEmu::Faults{true});
  EXPECT_EQ(update(), UpdateOutcome::NoDevice);
  EXPECT_EQ(notes,
            "A display at /dev/ttyS9 is waiting in its boot loader but does not tell its serial "
            "number: it is left alone.\n");
}

}  // namespace
}  // namespace QrApp
