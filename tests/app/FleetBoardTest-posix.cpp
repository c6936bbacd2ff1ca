#include "app/posix/FleetBoard.h"

#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "app/posix/CommandLine.h"
#include "app/posix/UpdateEvents.h"

namespace QrApp {
namespace {

// On a terminal every row is rewritten in place, from the first one on; otherwise a row writes
// a line of its own for a new status text or a further 10 %.
TEST(FleetBoardTest, RowsInPlaceOrAsPlainLines) {
  FleetBoard terminal(FleetBoard::Style::InPlace, kLanguageEnglish);
  FleetBoard log(FleetBoard::Style::Lines, kLanguageEnglish);
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
  terminal.finish(1, UpdateOutcome::DoesNotFit);
  EXPECT_EQ(terminal.render(),
            "\x1b[2A\rA: Erasing 10 %\x1b[K\n\rB: left alone, the firmware does not fit.\x1b[K\n");
  EXPECT_EQ(log.render(), "A: Erasing 10 %\nB: Sending 11 %\n");
  log.show(1, L"Sending", 19);
  EXPECT_EQ(log.render(), "");
}

// The summary names each display's result with its last message, in the user's language; the
// exit status is 0 only when every display that fits was updated.
TEST(FleetBoardTest, SummaryAndExitStatus) {
  FleetBoard board(FleetBoard::Style::Lines, kLanguageGerman);
  board.addRow(L"A");
  board.addRow(L"B");
  board.note(0, L"Fertig.", MessageKind::Information);
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
  EXPECT_EQ(FleetBoard(FleetBoard::Style::Lines, kLanguageEnglish).exitStatus(), kExitNoDevice);
}

// For programs: a JSON object per change, message (with its string-table id where it has one)
// and result, then the exit status. Keys come sorted.
TEST(FleetBoardTest, JsonLines) {
  FleetBoard board(FleetBoard::Style::Json, kLanguageEnglish);
  board.addRow(L"A", {L"/dev/ttyUSB0", L"COR-22-00417"});
  board.addRow(L"B", {L"/dev/ttyUSB1", L""});
  board.show(0, L"Erasing", 0);
  board.note(1, L"Sending firmware data complete.", MessageKind::Information);
  EXPECT_EQ(board.render(),
            R"({"path":"/dev/ttyUSB0","percent":0,"serial":"COR-22-00417","status":"Erasing"})"
            "\n"
            R"({"message":{"id":147,"kind":"information","text":"Sending firmware data )"
            R"(complete."},"path":"/dev/ttyUSB1","serial":null})"
            "\n");
  board.show(0, L"Erasing", 0);
  EXPECT_EQ(board.render(), "");
  board.finish(0, UpdateOutcome::Succeeded, L"3.30", L"3.40");
  board.finish(1, UpdateOutcome::Failed);
  EXPECT_EQ(board.summary(),
            R"({"firmwareAfter":"3.40","firmwareBefore":"3.30","path":"/dev/ttyUSB0",)"
            R"("result":"updated","serial":"COR-22-00417"})"
            "\n"
            R"({"firmwareAfter":null,"firmwareBefore":null,"path":"/dev/ttyUSB1",)"
            R"("result":"failed","serial":null})"
            "\n"
            R"({"exitStatus":1})"
            "\n");
}

// A message's id is the string-table text it fills most of; one of placeholders only is none.
TEST(FleetBoardTest, MessageIdsFromTheStringTable) {
  EXPECT_EQ(stringIdOf(L"Die Firmwaredaten wurden vollständig gesendet.", kLanguageGerman), 147);
  EXPECT_EQ(stringIdOf(L"This firmware cannot be transferred to the device with the serial number "
                       L"X-1 because it is intended for a different model.",
                       kLanguageEnglish),
            175);
  EXPECT_EQ(stringIdOf(L"Corlet at COM3", kLanguageEnglish), std::nullopt);
}

}  // namespace
}  // namespace QrApp
