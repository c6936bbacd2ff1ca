// --check: what a package would send, in the order of the update, and its verdict.
#include "app/posix/PackageCheck.h"

#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/TempDir.h"

namespace QrApp {
namespace {

using QrTest::TempDir;

constexpr const char* kTwoRecords = ":020000040000FA\r\n:00000001FF\r\n";

// A sound record of 48 data bytes: 107 characters, more than the IAP loader takes.
const std::string kLongRecord = ":30000000" + std::string(96, '1') + "A0\n";

std::string checked(const TempDir& package, uint8_t modelId, int& status) {
  const PackageCheck check = checkPackage(package.path(), modelId, kLanguageEnglish);
  status = check.exitStatus;
  return QrCom::toUtf8(check.report).substr(QrCom::toUtf8(package.path()).size() + 8);
}

TEST(PackageCheckTest, EveryFileInTheOrderOfTheUpdate) {
  TempDir legacy;
  for (const wchar_t* name : {L"COR340.H00", L"COR340.H01", L"8051.hex"}) {
    legacy.write(name, kTwoRecords);
  }
  for (const wchar_t* name : {L"HANGMAN.LST", L"HELP.QSF", L"MSG.QSF", L"PRINTERS.QSF",
                              L"KBDLYOUT.QSF", L"GERMAN.asc", L"vnc2.rom"}) {
    legacy.write(name, "x");
  }
  int status = -1;
  EXPECT_EQ(checked(legacy, 114, status),
            " for the Corlet (model 114):\n"
            "  1. main firmware into flash bank 0: COR340.H00, 2 records\n"
            "  2. main firmware into flash bank 1: COR340.H01, 2 records\n"
            "  3. file: MSG.QSF\n"
            "  4. file: KBDLYOUT.QSF\n"
            "  5. file: PRINTERS.QSF\n"
            "  6. Braille table \"GERMAN\", if the display keeps Braille tables: GERMAN.asc\n"
            "  7. file: HELP.QSF\n"
            "  8. file: HANGMAN.LST\n"
            "It fits a display whose serial number begins with COR.\n");
  EXPECT_EQ(status, 0);

  TempDir folders;
  for (const wchar_t* name : {L"VNT200.hex", L"8051.hex", L"bluetooth.rom"}) {
    folders.write(name, kTwoRecords);
  }
  for (const wchar_t* name : {L"demo.txt", L"A.QTF", L"B.QMF", L"de_hangman.lst", L"CONFIG.QSF",
                              L"SYS.QSF", L"vnc2.rom", L"MSG.QSF"}) {
    folders.write(name, "x");
  }
  const std::string report = checked(folders, 85, status);
  EXPECT_EQ(report.substr(0, report.find("  3.")),
            " for the Linqo (model 85):\n"
            "  1. main firmware through the IAP loader: VNT200.hex, 2 records\n"
            "  2. file into /QRSYS: CONFIG.QSF\n");
  // The system files in the order of the folder's listing.
  EXPECT_EQ(report.substr(report.find("  5.")),
            "  5. file into /QRSYS/LANGUAGE: de_hangman.lst\n"
            "  6. file into /QRSYS: B.QMF\n"
            "  7. file into /QRSYS/TUTORIALS: A.QTF\n"
            "  8. file into /QRSYS: demo.txt\n"
            "  9. Braille-processor firmware: 8051.hex, 2 records\n"
            "  10. USB-processor firmware: vnc2.rom\n"
            "  11. Bluetooth-module firmware: bluetooth.rom, 2 records\n"
            "It fits a display whose serial number begins with VNT.\n");
  EXPECT_EQ(status, 0);
}

TEST(PackageCheckTest, WhyAPackageDoesNotGo) {
  struct Case {
    const wchar_t* file;
    std::string content;
    uint8_t modelId;
    const char* ending;  // the report's last lines
    int status;
  };
  const std::string damaged = std::string(kTwoRecords) + ":00000001FE\n";
  const Case cases[] = {
      {L"COR340.H00", kTwoRecords, 0,
       "  1. main firmware: COR340.H00, 2 records\n"
       "It fits a display whose serial number begins with COR.\n"
       "--model NAME names the other files an update of that model sends.\n",
       0},
      {L"fnx.hex", kTwoRecords, 132,
       "It fits a display of the Fundo line that runs firmware 3.3 or higher.\n", 0},
      {L"COR340.H00", kTwoRecords, 132,
       "It does not fit the Fundo 40: its main firmware COR340.H00 is for another model.\n", 5},
      {L"KZM100.H00", kTwoRecords, 4,
       "It does not fit the KZM: the updater cannot read its serial number, which the model "
       "check needs.\n",
       5},
      {L"RAV100.H00", kTwoRecords, 1, "The Ravelo 24 takes no firmware update.\n", 5},
      {L"OB4100.hex", kTwoRecords, 84,
       "Please deactivate the emulation or iPhone mode in the options menu prior to the "
       "update!\n",
       5},
      {L"notes.txt", "x", 114,
       "It does not fit a display with a serial number: the package has no main firmware "
       "(*.h00 or *.hex).\n",
       5},
      {L"COR340.H00", damaged, 114,
       "     COR340.H00 is damaged: line 3 holds no sound Intel HEX record.\n"
       "It fits a display whose serial number begins with COR.\n"
       "A file is damaged: do not load this package.\n",
       1},
      {L"COR340.H00", "", 114,
       "     COR340.H00 is damaged: line 1 holds no sound Intel HEX record.\n", 1},
      {L"VNT200.hex", kLongRecord, 84,
       "     VNT200.hex cannot go through the IAP loader: the record in line 1 is longer than 99 "
       "characters.\n",
       1},
      // The boot loader takes records of any length.
      {L"COR340.H00", kLongRecord, 114, "begins with COR.\n", 0},
  };
  for (const Case& test : cases) {
    TempDir package;
    package.write(test.file, test.content);
    int status = -1;
    const std::string report = checked(package, test.modelId, status);
    const std::string ending = test.ending;
    const size_t at = report.find(ending);
    EXPECT_TRUE(at != std::string::npos &&
                (at + ending.size() == report.size() || test.status == 1))
        << report;
    EXPECT_EQ(status, test.status) << report;
  }
  EXPECT_EQ(checkPackage(L"/nonexistent/package", 114, kLanguageGerman).report,
            L"Ordner nicht gefunden: /nonexistent/package\n");
}

}  // namespace
}  // namespace QrApp
