#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/LocalizedStrings.h"
#include "app/posix/TerminalUi.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/TempDir.h"
#include "tests/support/TerminalEnds.h"

namespace QrApp {
namespace {

using QrTest::TerminalEnds;

struct Terminal {
  explicit Terminal(TerminalEnds endsIn, uint16_t language = kLanguageEnglish)
      : ends(std::move(endsIn)), ui(ends.uiInput(), ends.uiOutput(), ends.uiErrors(), language) {}
  TerminalEnds ends;
  TerminalUi ui;
};

TEST(TerminalUiTest, YesNoQuestionDefaultsToNo) {
  Terminal piped(TerminalEnds::pipes());
  piped.ends.type("y\n\nmaybe\nJA\nno\n");
  EXPECT_TRUE(piped.ui.askYesNo(L"Update?"));
  EXPECT_FALSE(piped.ui.askYesNo(L"Update?"));  // Enter
  EXPECT_TRUE(piped.ui.askYesNo(L"Update?"));   // asks again after "maybe"
  EXPECT_FALSE(piped.ui.askYesNo(L"Update?"));
  piped.ends.endInput();
  EXPECT_FALSE(piped.ui.askYesNo(L"Update?"));
  // Input from a pipe is not echoed: each prompt's line is ended by the UI.
  EXPECT_EQ(piped.ends.output(),
            "Update? [y/N] \nUpdate? [y/N] \nUpdate? [y/N] \n"
            "Please answer with one of the choices.\nUpdate? [y/N] \n"
            "Update? [y/N] \nUpdate? [y/N] \n");
}

TEST(TerminalUiTest, QuestionsOnAPseudoTerminalInGerman) {
  Terminal terminal(TerminalEnds::pty(), kLanguageGerman);
  std::thread user([&] {
    terminal.ends.waitForOutput("Aktualisieren? [j/N] ");
    terminal.ends.type("j\n");
  });
  EXPECT_TRUE(terminal.ui.askYesNo(L"Aktualisieren?"));
  user.join();
  // The terminal echoes the answer and its line end; the UI adds none of its own.
  EXPECT_EQ(terminal.ends.waitForOutput("j\r\n"), "Aktualisieren? [j/N] j\r\n");
  terminal.ends.endInput();
  EXPECT_FALSE(terminal.ui.askYesNo(L"Noch einmal?"));
  // Ctrl+D is not echoed: the UI ends the line.
  EXPECT_EQ(terminal.ends.waitForOutput("Noch einmal? [j/N] \r\n"),
            "Aktualisieren? [j/N] j\r\nNoch einmal? [j/N] \r\n");
}

TEST(TerminalUiTest, SelectionIsANumberedListWithTheFirstAsDefault) {
  Terminal piped(TerminalEnds::pipes());
  piped.ends.type("\n2\n3\nx\n0\n");
  const std::vector<std::wstring> devices{L"Selvar 40 (SEL1) at COM3", L"Vantra at USB-HID"};
  EXPECT_EQ(piped.ui.selectDevice(devices), 0);
  EXPECT_EQ(piped.ui.selectDevice(devices), 1);
  EXPECT_EQ(piped.ui.selectDevice(devices), -1);  // 3 and x are asked again, 0 is Finish
  piped.ends.endInput();
  EXPECT_EQ(piped.ui.selectDevice(devices), -1);
  const std::string output = piped.ends.output();
  EXPECT_EQ(
      output.rfind(
          "More than one Quorlin device found. Please select the device, you want to update. \n"
          "1: Selvar 40 (SEL1) at COM3\n"
          "2: Vantra at USB-HID\n"
          "Number of the device (Enter = 1, 0 = Finish): \n",
          0),
      0u);
}

TEST(TerminalUiTest, FolderQuestionOffersTheStoredFolderAndTakesOnlyFolders) {
  QrTest::TempDir dir;
  const std::wstring stored = dir.path();
  const std::wstring other = dir.path(L"\u00dcbung");  // Übung
  std::filesystem::create_directory(QrTest::toFsPath(other));
  Terminal piped(TerminalEnds::pipes());
  piped.ends.type("\n" + QrCom::toUtf8(dir.path(L"missing")) + "\n" + QrCom::toUtf8(other) + "\n");
  EXPECT_EQ(piped.ui.chooseFolder(stored), stored);
  EXPECT_EQ(piped.ui.chooseFolder(stored), other);
  const std::string output = piped.ends.output();
  EXPECT_NE(output.find("Select directory with firmware files\nFolder (Enter = " +
                        QrCom::toUtf8(stored) + "): \n"),
            std::string::npos);
  EXPECT_NE(output.find("Folder not found: " + QrCom::toUtf8(dir.path(L"missing"))),
            std::string::npos);

  // Without a stored folder Enter asks again; "~" is the home folder; the end of input cancels.
  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  setenv("HOME", QrCom::toUtf8(stored).c_str(), 1);
  piped.ends.type("\n~/\u00dcbung\n");
  const std::optional<std::wstring> chosen = piped.ui.chooseFolder(std::nullopt);
  if (home != nullptr) setenv("HOME", savedHome.c_str(), 1);
  EXPECT_EQ(chosen, other);
  piped.ends.endInput();
  EXPECT_EQ(piped.ui.chooseFolder(std::nullopt), std::nullopt);
}

TEST(TerminalUiTest, CtrlCAtAQuestionIsNoOrCancel) {
  Terminal piped(TerminalEnds::pipes());
  std::thread user([&] {
    for (const char* prompt : {"[y/N] ", "0 = Finish): ", "Folder: "}) {
      piped.ends.waitForOutput(prompt);
      kill(getpid(), SIGINT);
    }
  });
  EXPECT_FALSE(piped.ui.askYesNo(L"Update?"));
  EXPECT_EQ(piped.ui.selectDevice({L"A", L"B"}), -1);
  EXPECT_EQ(piped.ui.chooseFolder(std::nullopt), std::nullopt);
  user.join();
  EXPECT_EQ(piped.ends.output(),
            "Update? [y/N] \n"
            "More than one Quorlin device found. Please select the device, you want to update. \n"
            "1: A\n2: B\nNumber of the device (Enter = 1, 0 = Finish): \n"
            "Select directory with firmware files\nFolder: \n");
}

TEST(TerminalUiTest, ErrorsGoToTheErrorOutput) {
  Terminal piped(TerminalEnds::pipes());
  piped.ui.showMessage(loadLocalizedString(kStrUpdateComplete, kLanguageEnglish),
                       MessageKind::Information);
  piped.ui.showMessage(L"Die Fundo ben\u00f6tigt 3.3", MessageKind::Error);
  EXPECT_EQ(piped.ends.output(), "Sending firmware data complete.\n");
  EXPECT_EQ(piped.ends.errorOutput(), "Die Fundo ben\xC3\xB6tigt 3.3\n");
}

}  // namespace
}  // namespace QrApp
