// The terminal UI on pipes and pseudo-terminals: its questions, and the progress dialog with the
// worker on a thread of its own.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "app/LocalizedStrings.h"
#include "app/posix/TerminalProgress.h"
#include "app/posix/TerminalUi.h"
#include "qrcom/base/Utf8.h"
#include "tests/support/TempDir.h"
#include "tests/support/TerminalEnds.h"

namespace QrApp {
namespace {

using QrTest::TerminalEnds;

const std::string kHeader =
    "Update Firmware\nTarget device: Corlet (COR1) at COM3\nPress Ctrl+C to cancel.\n";
const std::string kSelection =
    "More than one Quorlin device found. Please select the device, you want to update. \n"
    "1: A\n2: B\nNumber of the device (Enter = 1, 0 = Finish): \n";
const std::string kAgain = "Please answer with one of the choices.\n";

// Records the cancels and the thread they came on.
struct Notifier : QrCom::UploadProcessDialogNotifier {
  void onCancel() override {
    ++cancels;
    thread = std::this_thread::get_id();
  }
  std::atomic<int> cancels{0};
  std::thread::id thread;
};

// The English UI on pipes.
class TerminalUiTest : public ::testing::Test {
 protected:
  // Shows the progress dialog while `work` runs on a worker thread; the dialog's result.
  int show(const std::function<void(UploadProgress&)>& work) {
    std::thread worker([&] { work(ui.uploadProgress()); });
    const int result = ui.showUploadDialog(L"Corlet (COR1) at COM3", notifier);
    worker.join();
    return result;
  }
  TerminalEnds ends = TerminalEnds::pipes();
  TerminalUi ui{ends.uiInput(), ends.uiOutput(), ends.uiErrors(), kLanguageEnglish};
  Notifier notifier;
};

TEST_F(TerminalUiTest, YesNoDefaultsToNoAndSelectionToTheFirst) {
  ends.type("y\n\nmaybe\nJA\nno\n\n2\n3\nx\n0\n");
  EXPECT_TRUE(ui.askYesNo(L"Update?"));
  EXPECT_FALSE(ui.askYesNo(L"Update?"));  // Enter
  EXPECT_TRUE(ui.askYesNo(L"Update?"));   // asks again after "maybe"
  EXPECT_FALSE(ui.askYesNo(L"Update?"));
  EXPECT_EQ(ui.selectDevice({L"A", L"B"}), 0);
  EXPECT_EQ(ui.selectDevice({L"A", L"B"}), 1);
  EXPECT_EQ(ui.selectDevice({L"A", L"B"}), -1);  // 3 and x are asked again, 0 is Finish
  ends.endInput();
  EXPECT_FALSE(ui.askYesNo(L"Update?"));
  EXPECT_EQ(ui.selectDevice({L"A", L"B"}), -1);
  // Input from a pipe is not echoed: each prompt's line is ended by the UI.
  const std::string prompt = "Number of the device (Enter = 1, 0 = Finish): \n";
  const std::string output = ends.output();
  EXPECT_EQ(output.rfind("Update? [y/N] \nUpdate? [y/N] \nUpdate? [y/N] \n" + kAgain, 0), 0u);
  EXPECT_NE(output.find(kSelection + kAgain + prompt + kAgain + prompt + "Update?"),
            std::string::npos);
}

TEST_F(TerminalUiTest, FolderQuestionOffersTheStoredFolderAndTakesOnlyFolders) {
  QrTest::TempDir dir;
  const std::wstring stored = dir.path();
  const std::wstring other = dir.path(L"\u00dcbung");  // Übung
  std::filesystem::create_directory(QrTest::toFsPath(other));
  ends.type("\n" + QrCom::toUtf8(dir.path(L"missing")) + "\n" + QrCom::toUtf8(other) + "\n");
  EXPECT_EQ(ui.chooseFolder(stored), stored);
  EXPECT_EQ(ui.chooseFolder(stored), other);
  EXPECT_NE(ends.output().find("(Enter = " + QrCom::toUtf8(stored) + "): \n"), std::string::npos);

  // Without a stored folder Enter asks again; the end of input cancels.
  ends.type("\n" + QrCom::toUtf8(other) + "\n");
  EXPECT_EQ(ui.chooseFolder(std::nullopt), other);
  ends.endInput();
  EXPECT_EQ(ui.chooseFolder(std::nullopt), std::nullopt);
}

TEST(TerminalUiPtyTest, ATerminalEchoesTheAnswerAndItsLineEnd) {
  TerminalEnds ends = TerminalEnds::pty();
  TerminalUi ui(ends.uiInput(), ends.uiOutput(), ends.uiErrors(), kLanguageGerman);
  std::thread user([&] {
    ends.waitForOutput("Aktualisieren? [j/N] ");
    ends.type("j\n");
  });
  EXPECT_TRUE(ui.askYesNo(L"Aktualisieren?"));
  user.join();
  ends.endInput();
  EXPECT_FALSE(ui.askYesNo(L"Noch einmal?"));
  // The UI adds no line end of its own to an echoed answer, but ends the line after Ctrl+D.
  EXPECT_EQ(ends.waitForOutput("Noch einmal? [j/N] \r\n"),
            "Aktualisieren? [j/N] j\r\nNoch einmal? [j/N] \r\n");
}

TEST_F(TerminalUiTest, CtrlCAtAQuestionIsNoOrCancel) {
  std::thread user([&] {
    for (const char* prompt : {"[y/N] ", "0 = Finish): ", "Folder: "}) {
      ends.waitForOutput(prompt);
      kill(getpid(), SIGINT);
    }
  });
  EXPECT_FALSE(ui.askYesNo(L"Update?"));
  EXPECT_EQ(ui.selectDevice({L"A", L"B"}), -1);
  EXPECT_EQ(ui.chooseFolder(std::nullopt), std::nullopt);
  user.join();
  EXPECT_EQ(ends.output(),
            "Update? [y/N] \n" + kSelection + "Select directory with firmware files\nFolder: \n");
}

TEST_F(TerminalUiTest, TheDialogShowsTheWorkersReportsAndMessagesInOrderAndEndsWithItsResult) {
  UploadProgress& progress = ui.uploadProgress();
  progress.setStatus(L"Sending message file...");  // before the dialog opens
  for (unsigned percent : {5, 12, 19, 20}) progress.setPercent(percent);
  EXPECT_EQ(show([](UploadProgress& worker) {
              worker.showMessage(L"No space", MessageKind::Information);
              worker.setPercent(30);  // once the dialog has taken all before it
              worker.setStatus(L"Sending help file");
              worker.setPercent(250);  // a full bar
              worker.end(0);
            }),
            0);
  EXPECT_EQ(ends.output(), kHeader +
                               "Sending message file... 0 %\nSending message file... 20 %\n"
                               "No space\nSending message file... 30 %\nSending help file 30 %\n"
                               "Sending help file 100 %\n");
}

TEST_F(TerminalUiTest, RetryQuestionAskedForTheWorker) {
  ends.type("again\nr\nc\n");
  EXPECT_EQ(show([this](UploadProgress& progress) {
              progress.setStatus(L"Sending help file");
              const bool first = progress.askRetry();
              const bool second = progress.askRetry();
              // Shown before the dialog ends: no question follows the answers.
              progress.setStatus(L"Done");
              ends.waitForOutput("Done 0 %\n");
              progress.end(first && !second ? 0 : -1);
            }),
            0);
  const std::string question =
      QrCom::toUtf8(loadLocalizedString(kStrRetryQuestion, kLanguageEnglish)) +
      " (r = Retry, c = Cancel, Enter = Retry): \n";
  EXPECT_EQ(ends.output(), kHeader + "Sending help file 0 %\n" + question + kAgain + question +
                               question + "Done 0 %\n");
}

TEST_F(TerminalUiTest, EndOfInputAnswersTheRetryQuestionWithCancel) {
  ends.endInput();
  EXPECT_EQ(show([](UploadProgress& progress) { progress.end(progress.askRetry() ? 0 : -1); }), -1);
}

TEST_F(TerminalUiTest, AClosedOutputDoesNotStopTheUpdate) {
  ends.closeOutput();
  EXPECT_EQ(show([](UploadProgress& progress) { progress.end(0); }), 0);
}

TEST_F(TerminalUiTest, CtrlCInTheDialogIsCancel) {
  // Started in the background by a script, the tests inherit an ignored SIGINT.
  struct sigaction before {};
  sigaction(SIGINT, nullptr, &before);
  std::thread user([&] {
    ends.waitForOutput("Enter = Retry): ");
    kill(getpid(), SIGINT);
  });
  // The dialog closes on the cancel: the worker's open question is answered with Cancel.
  std::atomic<bool> retried{true};
  EXPECT_EQ(show([&](UploadProgress& progress) {
              retried = progress.askRetry();
              progress.end(0);
            }),
            -1);
  user.join();
  EXPECT_EQ(notifier.cancels, 1);
  EXPECT_EQ(notifier.thread, std::this_thread::get_id());
  EXPECT_FALSE(retried);
  EXPECT_NE(ends.output().find("Retry): \nCancelling\xE2\x80\xA6\n"), std::string::npos);
  // Ctrl+C has its earlier meaning again.
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace QrApp
