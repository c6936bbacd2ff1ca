// The run of the update controller: device search outcome, questions, folder, the checks that
// the firmware fits, and the result message; against emulated displays on the virtual clock.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "app/UiLanguage.h"
#include "tests/app/UpdateHarness.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

using Texts = std::vector<std::wstring>;

class FirmwareUploadControlerTest : public QrTest::UpdateRun {};

TEST_F(FirmwareUploadControlerTest, NoDisplayEndsWithItsMessage) {
  EXPECT_EQ(run(), UpdateOutcome::NoDevice);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, L"No Quorlin device found, which can be updated.");
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Information);
  EXPECT_TRUE(ui.folderQuestions.empty());
  EXPECT_EQ(settings.reads, 0);
}

TEST_F(FirmwareUploadControlerTest, OneDisplayIsConfirmedWithItsSerialNumber) {
  attach(84, 0x0103);
  ui.yes = false;
  EXPECT_EQ(run(), UpdateOutcome::Declined);
  EXPECT_EQ(
      ui.questions,
      Texts{L"Do you want to update the firmware of Vantra with serial number VAN-22-00417?"});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.folderQuestions.empty());
}

TEST_F(FirmwareUploadControlerTest, SeveralDisplaysAreChosenWithoutFurtherQuestion) {
  attach(84, 0x0103);
  attach(100, 0x0103);
  ui.selection = -1;
  EXPECT_EQ(run(), UpdateOutcome::Declined);
  ASSERT_EQ(ui.selections.size(), 1u);
  EXPECT_EQ(ui.selections[0].size(), 2u);
  EXPECT_NE(ui.selections[0][1].find(L"Orbelle (ORB-22-00417)"), std::wstring::npos);

  folder.write(L"ORB.H00", ":00000001FF\r\n");
  ui.selection = 1;
  ui.folder = folder.path();
  ui.selections.clear();
  EXPECT_EQ(run(), UpdateOutcome::Succeeded);
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_FALSE(loaded(0));
  EXPECT_TRUE(loaded(1));
  EXPECT_EQ(ui.messageTexts(), Texts{L"Sending firmware data complete."});
}

TEST_F(FirmwareUploadControlerTest, TheFolderIsAskedWithTheStoredOneAndStoredAfterTheChecks) {
  attach(84, 0x0103);
  settings.stored = L"/somewhere/old";
  EXPECT_EQ(run(), UpdateOutcome::Declined);  // the folder question cancelled
  ASSERT_EQ(ui.folderQuestions.size(), 1u);
  EXPECT_EQ(ui.folderQuestions[0], std::optional<std::wstring>(L"/somewhere/old"));
  EXPECT_TRUE(settings.writes.empty());

  folder.write(L"XYZ.H00", ":00000001FF\r\n");  // another model's firmware
  ui.folder = folder.path();
  EXPECT_EQ(run(), UpdateOutcome::DoesNotFit);
  EXPECT_TRUE(settings.writes.empty());

  folder.write(L"VAN.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(), UpdateOutcome::Succeeded);
  EXPECT_EQ(settings.writes, Texts{folder.path()});
}

TEST_F(FirmwareUploadControlerTest, AFolderOnTheCommandLineIsNeitherAskedNorStored) {
  attach(84, 0x0103);
  folder.write(L"VAN.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_TRUE(ui.folderQuestions.empty());
  EXPECT_EQ(settings.reads, 0);
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_TRUE(loaded());
}

TEST_F(FirmwareUploadControlerTest, MainFirmwareIsTheFirstH00BeforeAnyHexButNever8051) {
  FirmwareUploadControler controller(ui, settings, {});
  EXPECT_FALSE(controller.findFirmwareFile(folder.path(L"missing")));
  folder.write(L"8051.HEX", "x");
  EXPECT_FALSE(controller.findFirmwareFile(folder.path()));
  folder.write(L"van.hex", "x");
  EXPECT_TRUE(controller.findFirmwareFile(folder.path()));
  EXPECT_EQ(controller.package().slots[kMainFirmware], folder.path(L"van.hex"));
  folder.write(L"VAN.H01", "x");
  folder.write(L"VAN.H00", "x");
  EXPECT_TRUE(controller.findFirmwareFile(folder.path()));
  EXPECT_EQ(controller.package().slots[kMainFirmware], folder.path(L"VAN.H00"));
  EXPECT_EQ(controller.firmwareModelCode(), L"VAN");
  EXPECT_EQ(controller.package().bytes[kMainFirmware], 0u);
}

TEST_F(FirmwareUploadControlerTest, OnlyTheBrailleProcessorsFirmwareIsNoMainFirmware) {
  attach(84, 0x0103);
  folder.write(L"8051.hex", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.messages.at(0).text,
            L"This firmware cannot be transferred to the device with the serial number "
            L"VAN-22-00417 because it is intended for a different model.");
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(ui.dialogTargets.empty());
}

TEST_F(FirmwareUploadControlerTest, TheModelCheckIgnoresCase) {
  attach(84, 0x0103);
  folder.write(L"van.h00", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_TRUE(loaded());
}

TEST_F(FirmwareUploadControlerTest, AnEmptySerialNumberPassesAndRunsWithoutMainFirmware) {
  attach(84, 0x0103);
  configure = [](QrTest::ScriptedDevice& device) { device.serialNumber = L""; };
  folder.write(L"CONFIG.QSF", "settings");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_FALSE(loaded());
  EXPECT_EQ(log().front(), L"updateDeviceProperties");
  // Three letters are compared: an empty serial number does not fit a named firmware.
  folder.write(L"VAN.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::DoesNotFit);
}

TEST_F(FirmwareUploadControlerTest, AFundoIsCheckedByTheFirmwareNameAndItsVersion) {
  QrEmu::DisplayIdentity identity;
  identity.serialNumber = "ABC-22-00001";  // not compared for the Fundo line
  attach(147, 0x0103, identity);
  folder.write(L"FNX.hex", ":00000001FF\r\n");
  folder.write(L"FNX_BT.hex", ":00000001FF\r\n");
  ui.folder = folder.path();
  EXPECT_EQ(run(), UpdateOutcome::Succeeded);
  EXPECT_EQ(log().front(), L"loadFirmware " + folder.path(L"FNX.hex"));

  displays.clear();
  identity.bluetooth = true;
  attach(147, 0x0103, identity);
  EXPECT_EQ(run(), UpdateOutcome::Succeeded);
  EXPECT_EQ(log().front(), L"loadFirmware " + folder.path(L"FNX_BT.hex"));

  // With a command line the general rule finds the firmware, whatever its name.
  QrTest::TempDir other;
  other.write(L"ABC.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(other.path()), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.messages.back().text.find(L"This firmware cannot"), 0u);

  displays.clear();
  identity.firmwareMinor = 10;
  attach(147, 0x0103, identity);
  EXPECT_EQ(run(), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.messages.back().text,
            L"The Fundo requires a firmware version 3.3 or higher for the update.");
}

TEST_F(FirmwareUploadControlerTest, FundoVersionsFromThreeThreeOn) {
  for (const wchar_t* version : {L"3.3", L"3.30", L"3.4", L"3.100", L"4.0", L"3..31", L"10"}) {
    EXPECT_TRUE(FirmwareUploadControler::firmwareVersionSupportsUpdate(version)) << version;
  }
  for (const wchar_t* version : {L"3.29", L"3.10", L"3.03", L"3", L"2.9", L"", L"x.40", L"3.x"}) {
    EXPECT_FALSE(FirmwareUploadControler::firmwareVersionSupportsUpdate(version)) << version;
  }
}

TEST_F(FirmwareUploadControlerTest, AVantraThatEmulatesAnotherModelIsRefused) {
  attach(84, 0x0103);
  configure = [](QrTest::ScriptedDevice& device) { device.serialNumber = L"OB4-20-00001"; };
  folder.write(L"ob4.h00", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.messageTexts(), Texts{L"Please deactivate the emulation or iPhone mode in the "
                                     L"options menu prior to the update!"});
}

TEST_F(FirmwareUploadControlerTest, ADisplayThatCannotTellItsSerialNumberIsNotUpdated) {
  attach(84, 0x0103);
  configure = [](QrTest::ScriptedDevice& device) { device.serialNumberFails = true; };
  folder.write(L"VAN.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.questions, Texts{L"Do you want to update Firmware Vantra?"});
  EXPECT_EQ(ui.messages.at(0).text.find(L"This firmware cannot be transferred"), 0u);
  EXPECT_FALSE(loaded());
}

TEST_F(FirmwareUploadControlerTest, GermanForEveryGermanSystemLanguage) {
  for (uint16_t id : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}) {
    EXPECT_EQ(languageForSystemLanguageId(id), kLanguageGerman) << id;
  }
  for (uint16_t id : {0x0409, 0x0809, 0x040C, 0x0410}) {
    EXPECT_EQ(languageForSystemLanguageId(id), kLanguageEnglish) << id;
  }
  uiLanguage().languageId = kLanguageGerman;
  attach(84, 0x0103);
  ui.yes = false;
  run();
  EXPECT_EQ(ui.questions.at(0).find(L"Möchten Sie die Firmware der Vantra"), 0u);
}

TEST_F(FirmwareUploadControlerTest, AFailedUploadEndsWithTheFailureMessage) {
  attach(84, 0x0103);
  configure = [](QrTest::ScriptedDevice& device) { device.firmwareFails = true; };
  folder.write(L"VAN.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Failed);
  EXPECT_EQ(ui.messageTexts(),
            Texts{L"Error during sending firmware data. File transfer aborted. "});
  EXPECT_EQ(ui.dialogTargets.at(0).find(L"Vantra (VAN-22-00417) at "), 0u);
}

}  // namespace
}  // namespace QrApp
