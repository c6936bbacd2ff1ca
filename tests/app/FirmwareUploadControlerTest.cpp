// The run of the update controller: device search outcome, questions, folder, the checks that
// the firmware fits, and the result message; against emulated displays on the virtual clock.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "tests/app/UpdateHarness.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

using QrTest::kUpdateDone;
using QrTest::Texts;

class FirmwareUploadControlerTest : public QrTest::UpdateRun {};

TEST_F(FirmwareUploadControlerTest, NoDisplayOneToConfirmOrSeveralToChooseFrom) {
  EXPECT_EQ(run(), UpdateOutcome::NoDevice);

  attach(84, 0x0103);
  ui.yes = false;
  EXPECT_EQ(run(), UpdateOutcome::Declined);
  EXPECT_EQ(ui.asked, Texts{L"Do you want to update the firmware of Vantra with serial "
                            L"number VAN-22-00417?"});

  // The choice is not confirmed again.
  attach(100, 0x0103);
  folder.write(L"ORB.H00", ":00000001FF\r\n");
  ui.selection = 1;
  ui.folder = folder.path();
  EXPECT_EQ(run(), UpdateOutcome::Succeeded);
  ASSERT_EQ(ui.asked.size(), 5u);
  EXPECT_EQ(ui.asked[2].find(L"Orbelle (ORB-22-00417) at COM"), 0u);
  EXPECT_EQ(ui.asked[3], L"folder? ");
  EXPECT_EQ(count(L"loadFirmware", 1), 1u);
  ui.selection = -1;
  EXPECT_EQ(run(), UpdateOutcome::Declined);
}

TEST_F(FirmwareUploadControlerTest, TheFolderIsAskedWithTheStoredOneAndStoredAfterTheChecks) {
  attach(84, 0x0103);
  ui.storedFolder = L"/somewhere/old";
  EXPECT_EQ(run(), UpdateOutcome::Declined);    // the folder question cancelled
  folder.write(L"XYZ.H00", ":00000001FF\r\n");  // another model's firmware
  ui.folder = folder.path();
  EXPECT_EQ(run(), UpdateOutcome::DoesNotFit);
  folder.write(L"VAN.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(), UpdateOutcome::Succeeded);
  // A folder on the command line is neither asked nor stored.
  EXPECT_EQ(run(folder.path()), UpdateOutcome::Succeeded);
  EXPECT_EQ(count(L"loadFirmware"), 1u);
  ASSERT_EQ(ui.asked.size(), 8u);
  EXPECT_EQ(ui.asked[1], L"folder? /somewhere/old");
  EXPECT_EQ(ui.asked[6], L"stored " + folder.path());
}

TEST_F(FirmwareUploadControlerTest, MainFirmwareIsTheFirstH00BeforeAnyHexButNever8051) {
  FirmwareUploadControler controller(ui, ui, {});
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
}

// Which packages fit a Vantra with the serial number the row gives ("!": it cannot tell), and
// the first message.
TEST_F(FirmwareUploadControlerTest, TheFirmwareMustFitTheModel) {
  attach(84, 0x0103);
  const std::wstring wrongModel =
      L"This firmware cannot be transferred to the device with the "
      L"serial number VAN-22-00417 because";
  const struct {
    const wchar_t* file;
    std::optional<std::wstring> serial;
    std::wstring message;  // its beginning; "Sending..." only when the firmware fits
  } cases[] = {
      {L"van.h00", std::nullopt, kUpdateDone[0]},
      {L"8051.hex", std::nullopt, wrongModel},
      // Three letters are compared: an empty serial number fits only a package without firmware.
      {L"CONFIG.QSF", L"", kUpdateDone[0]},
      {L"VAN.H00", L"", L"This firmware cannot"},
      {L"ob4.h00", L"OB4-20-00001", L"Please deactivate the emulation"},
      {L"VAN.H00", L"!", L"This firmware cannot"},
  };
  for (const auto& row : cases) {
    QrTest::TempDir package;
    package.write(row.file, ":00000001FF\r\n");
    configure = [&row](QrTest::ScriptedDevice& device) { device.serialNumber = row.serial; };
    ui.messages.clear();
    EXPECT_EQ(run(package.path()),
              row.message == kUpdateDone[0] ? UpdateOutcome::Succeeded : UpdateOutcome::DoesNotFit)
        << row.file;
    EXPECT_EQ(ui.messages.at(0).rfind(row.message, 0), 0u) << row.file;
  }
  EXPECT_EQ(ui.asked.back(), L"Do you want to update Firmware Vantra?");
}

TEST_F(FirmwareUploadControlerTest, AFundoIsCheckedByTheFirmwareNameAndItsVersion) {
  QrEmu::DisplayIdentity identity;
  identity.serialNumber = "ABC-22-00001";  // not compared for the Fundo line
  folder.write(L"FNX.hex", ":00000001FF\r\n");
  folder.write(L"FNX_BT.hex", ":00000001FF\r\n");
  ui.folder = folder.path();
  for (bool bluetooth : {false, true}) {
    removeDisplays();
    identity.bluetooth = bluetooth;
    attach(147, 0x0103, identity);
    EXPECT_EQ(run(), UpdateOutcome::Succeeded);
    EXPECT_EQ(log().front(),
              L"loadFirmware " + folder.path(bluetooth ? L"FNX_BT.hex" : L"FNX.hex"));
  }
  // With a command line the general rule finds the firmware, whatever its name.
  QrTest::TempDir other;
  other.write(L"ABC.H00", ":00000001FF\r\n");
  EXPECT_EQ(run(other.path()), UpdateOutcome::DoesNotFit);

  removeDisplays();
  identity.firmwareMinor = 10;
  attach(147, 0x0103, identity);
  EXPECT_EQ(run(), UpdateOutcome::DoesNotFit);
  EXPECT_EQ(ui.messages.back(),
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

}  // namespace
}  // namespace QrApp
