#include "app/posix/FleetBoard.h"

#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "app/posix/CommandLine.h"

namespace QrApp {
namespace {

// On a terminal every row is rewritten in place, from the first one on; otherwise a row writes
// a line of its own for a new status text or a further 10 %.
TEST(FleetBoardTest, RowsInPlaceOrAsPlainLines) {
  FleetBoard terminal(true, kLanguageEnglish);
  FleetBoard log(false, kLanguageEnglish);
  for (FleetBoard* board : {&terminal, &log}) {
    board->addRow(L"A");
    board->addRow(L"B");
    board->show(0, L"Erasing", 0);
  }
  EXPECT_EQ(terminal.render(), "\rA: Erasing 0 %\x1b[K\n\rB: 0 %\x1b[K\n");
  EXPECT_EQ(log.render(), "A: Erasing 0 %\n");
  for (FleetBoard* board : {&terminal, &log}) {
    board->show(1, L"Sending", 11);
    board->show(0, L"Erasing", 10);
  }
  EXPECT_EQ(terminal.render(), "\x1b[2A\rA: Erasing 10 %\x1b[K\n\rB: Sending 11 %\x1b[K\n");
  EXPECT_EQ(log.render(), "A: Erasing 10 %\nB: Sending 11 %\n");
  log.show(1, L"Sending", 19);
  EXPECT_EQ(log.render(), "");
}

// The summary names each display's result with its last message, in the user's language; the
// exit status is 0 only when every display that fits was updated.
TEST(FleetBoardTest, SummaryAndExitStatus) {
  FleetBoard board(false, kLanguageGerman);
  board.addRow(L"A");
  board.addRow(L"B");
  board.note(0, L"Fertig.");
  board.finish(0, UpdateOutcome::Succeeded);
  board.finish(1, UpdateOutcome::DoesNotFit);
  EXPECT_TRUE(board.allFinished());
  EXPECT_EQ(board.summary(),
            "A: aktualisiert. Fertig.\nB: nicht aktualisiert, die Firmware passt nicht.\n");
  EXPECT_EQ(board.exitStatus(), kExitSuccess);
  board.finish(0, UpdateOutcome::DoesNotFit);
  EXPECT_EQ(board.exitStatus(), kExitDoesNotFit);
  board.addRow(L"C");
  EXPECT_FALSE(board.allFinished());
  board.finish(2, UpdateOutcome::Failed);
  EXPECT_EQ(board.exitStatus(), kExitFailed);
  EXPECT_EQ(FleetBoard(false, kLanguageEnglish).exitStatus(), kExitNoDevice);
}

}  // namespace
}  // namespace QrApp
