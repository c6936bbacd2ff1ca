#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/LocalizedStrings.h"
#include "app/posix/TerminalProgress.h"
#include "app/posix/TerminalUi.h"
#include "tests/support/TerminalEnds.h"

namespace QrApp {
namespace {

using QrTest::TerminalEnds;

const std::string kHeader =
    "Update Firmware\nTarget device: Corlet (COR1) at COM3\nPress Ctrl+C to cancel.\n";

// Records the cancels and the thread they came on.
class Notifier : public QrCom::UploadProcessDialogNotifier {
 public:
  void onCancel() override {
    ++cancels;
    thread = std::this_thread::get_id();
  }
  std::atomic<int> cancels{0};
  std::thread::id thread;
};

// The English dialog on pipes.
class UploadDialogTest : public ::testing::Test {
 protected:
  // Shows the dialog while `work` runs on a worker thread; the dialog's result.
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

TEST(ProgressRendererTest, PlainLinesForEachStatusAndEachTenPercent) {
  ProgressRenderer renderer(false);
  std::string output;
  for (unsigned percent = 0; percent <= 100; ++percent) {
    output += renderer.update(
        percent < 50 ? L"Sending firmware data\u2026" : L"Sending help file\u2026", percent);
  }
  output += renderer.endLine();
  EXPECT_EQ(output,
            "Sending firmware data\xE2\x80\xA6 0 %\n"
            "Sending firmware data\xE2\x80\xA6 10 %\n"
            "Sending firmware data\xE2\x80\xA6 20 %\n"
            "Sending firmware data\xE2\x80\xA6 30 %\n"
            "Sending firmware data\xE2\x80\xA6 40 %\n"
            "Sending help file\xE2\x80\xA6 50 %\n"
            "Sending help file\xE2\x80\xA6 60 %\n"
            "Sending help file\xE2\x80\xA6 70 %\n"
            "Sending help file\xE2\x80\xA6 80 %\n"
            "Sending help file\xE2\x80\xA6 90 %\n"
            "Sending help file\xE2\x80\xA6 100 %\n");
}

TEST(ProgressRendererTest, OneLineRewrittenInPlaceOnATerminal) {
  ProgressRenderer renderer(true);
  EXPECT_EQ(renderer.update(L"", 0), "\r0 %\x1b[K");
  EXPECT_EQ(renderer.update(L"Sending", 1), "\rSending 1 %\x1b[K");
  EXPECT_EQ(renderer.update(L"Sending", 1), "");
  EXPECT_EQ(renderer.endLine(), "\n");
  EXPECT_EQ(renderer.endLine(), "");
  // After other output the line starts anew.
  EXPECT_EQ(renderer.update(L"Sending", 1), "\rSending 1 %\x1b[K");
}

TEST_F(UploadDialogTest, ShowsWhatTheWorkerReportedBeforeAndEndsWithItsResult) {
  UploadProgress& progress = ui.uploadProgress();
  progress.setStatus(L"Sending message file...");
  for (unsigned percent : {5, 12, 19, 20}) progress.setPercent(percent);
  progress.setStatus(L"Sending help file\u2026");
  progress.setPercent(100);
  progress.end(0);
  EXPECT_EQ(ui.showUploadDialog(L"Corlet (COR1) at COM3", notifier), 0);
  EXPECT_EQ(notifier.cancels, 0);
  EXPECT_EQ(ends.output(), kHeader +
                               "Sending message file... 0 %\n"
                               "Sending message file... 20 %\n"
                               "Sending help file\xE2\x80\xA6 20 %\n"
                               "Sending help file\xE2\x80\xA6 100 %\n");
}

TEST(UploadDialogPtyTest, InPlaceOnAPseudoTerminal) {
  TerminalEnds ends = TerminalEnds::pty();
  TerminalUi ui(ends.uiInput(), ends.uiOutput(), ends.uiErrors(), kLanguageGerman);
  Notifier notifier;
  std::thread worker([&] {
    ui.uploadProgress().setStatus(L"Hilfedatei wird gesendet\u2026");
    ui.uploadProgress().setPercent(42);
    ui.uploadProgress().end(-1);
  });
  EXPECT_EQ(ui.showUploadDialog(L"Corlet (COR1) an COM3", notifier), -1);
  worker.join();
  const std::string output = ends.waitForOutput("42 %\x1b[K\r\n");
  EXPECT_EQ(
      output.rfind(
          "Firmware \xC3\xBC"
          "bertragen\r\nZielger\xC3\xA4t: Corlet (COR1) an COM3\r\nMit Strg+C brechen Sie ab.\r\n",
          0),
      0u);
  EXPECT_NE(output.find("\rHilfedatei wird gesendet\xE2\x80\xA6 42 %\x1b[K\r\n"),
            std::string::npos);
}

TEST_F(UploadDialogTest, AMessageOfTheWorkerComesBetweenItsReports) {
  EXPECT_EQ(show([](UploadProgress& progress) {
              progress.setStatus(L"Sending Braille table\u2026");
              progress.showMessage(L"No space for the new Braille table.",
                                   MessageKind::Information);
              progress.setStatus(L"Sending help file\u2026");
              progress.end(0);
            }),
            0);
  EXPECT_EQ(ends.output(), kHeader +
                               "Sending Braille table\xE2\x80\xA6 0 %\n"
                               "No space for the new Braille table.\n"
                               "Sending help file\xE2\x80\xA6 0 %\n");
}

TEST_F(UploadDialogTest, RetryQuestionAskedForTheWorker) {
  ends.type("again\nr\nc\n");
  EXPECT_EQ(show([](UploadProgress& progress) {
              progress.setStatus(L"Sending help file\u2026");
              const bool first = progress.askRetry();
              const bool second = progress.askRetry();
              progress.end(first && !second ? 0 : -1);
            }),
            0);
  EXPECT_EQ(notifier.cancels, 0);
  const std::string question =
      "Error while sending. Please check, if the target device is showing an error message. If "
      "so, press ESC till no error message is shown. Do you want to start sending again? (r = "
      "Retry, c = Cancel, Enter = Retry): \n";
  EXPECT_EQ(ends.output(), kHeader + "Sending help file\xE2\x80\xA6 0 %\n" + question +
                               "Please answer with one of the choices.\n" + question + question);
}

TEST_F(UploadDialogTest, EndOfInputAnswersTheRetryQuestionWithCancel) {
  ends.endInput();
  EXPECT_EQ(show([](UploadProgress& progress) { progress.end(progress.askRetry() ? 0 : -1); }), -1);
}

TEST_F(UploadDialogTest, AClosedOutputDoesNotStopTheUpdate) {
  ends.closeOutput();
  EXPECT_EQ(show([](UploadProgress& progress) {
              progress.setStatus(L"Sending firmware data\u2026");
              progress.end(0);
            }),
            0);
}

TEST_F(UploadDialogTest, CtrlCIsCancel) {
  // Started in the background by a script, the tests inherit an ignored SIGINT.
  struct sigaction before {};
  sigaction(SIGINT, nullptr, &before);
  std::atomic<bool> retried{true};
  EXPECT_EQ(show([&](UploadProgress& progress) {
              progress.setStatus(L"Sending firmware data\u2026");
              ends.waitForOutput("Press Ctrl+C to cancel.\n");
              kill(getpid(), SIGINT);
              // The dialog closes after the cancel: the worker's question is answered with Cancel.
              retried = progress.askRetry();
              progress.end(0);
            }),
            -1);
  EXPECT_EQ(notifier.cancels, 1);
  EXPECT_EQ(notifier.thread, std::this_thread::get_id());
  EXPECT_FALSE(retried);
  EXPECT_NE(ends.output().find("Cancelling\xE2\x80\xA6\n"), std::string::npos);
  // Ctrl+C has its earlier meaning again.
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace QrApp
