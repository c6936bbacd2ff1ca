#!/usr/bin/env bash
# The dialog tests of the Windows program: dialogdemo.exe shows each dialog and message box of the
# updater as the updater does, winui.exe works it from the outside as a user would, and each
# case checks what the dialog shows and what the program gets back. English cases run in the
# C locale, one German case in a German Wine locale. Needs an X display (Xvfb) and the Wine
# environment of scripts/lib/setup.sh:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" tests/winui/dialog-tests.sh BUILD_WIN SCREENSHOTS
#
# Prints "PASS name" or "FAIL name: why" for each case and ends with "N passed, N failed";
# keeps a screenshot of every dialog in English, and of the selection, the progress dialog and
# a message box in German, in the folder SCREENSHOTS.
set -u

WIN=$1
SHOTS=$2
# shellcheck source=tests/winui/cases.sh
source "$(dirname "$0")/cases.sh"
CASE_CLEANUP=stop_demo
mkdir -p "$WINEPREFIX/drive_c/Firmware Übung/Corlet"

# start_demo LOCALE MODE [ARGUMENT]: dialogdemo in the background, its input on descriptor 7.
start_demo() {
  rm -f "$WORK/input" "$WORK/output"
  mkfifo "$WORK/input"
  LC_ALL=$1 LANG=$1 timeout -k 5 60 wine "$WIN/tests/winui/dialogdemo.exe" "${@:2}" \
    <"$WORK/input" >"$WORK/output" 2>/dev/null &
  DEMO=$!
  exec 7>"$WORK/input"
}

# Lines for the demo's worker.
send() { printf '%s\n' "$@" >&7; }

# Ends the demo's input and waits for it to end.
finish_demo() {
  exec 7>&-
  local demo=$DEMO
  DEMO=
  wait "$demo" || {
    echo "dialogdemo failed (exit $?)"
    return 1
  }
}

stop_demo() {
  exec 7>&-
  [ -n "${DEMO:-}" ] && kill "$DEMO" 2>/dev/null && wait "$DEMO" 2>/dev/null
}

# expect_line LINE: the demo prints LINE within 10 s.
expect_line() {
  for _ in $(seq 100); do
    grep -qxF -- "$1" "$WORK/output" && return 0
    sleep 0.1
  done
  echo "expected \"$1\"; the program printed: $(tr '\n' '|' <"$WORK/output")"
  return 1
}

# no_line LINE: the demo has not printed LINE.
no_line() {
  ! grep -qxF -- "$1" "$WORK/output" || {
    echo "unexpected \"$1\""
    return 1
  }
}

# has_style STYLE HEXMASK: STYLE (as winui prints it) has all bits of the mask.
has_style() {
  (((0x$1 & $2) == $2)) && return 0
  echo "style $1 lacks $2"
  return 1
}

# escape CAPTION: the Escape key in that window.
escape() {
  winui find "$1" &&
    xdotool windowfocus --sync "$(xdotool search --name "^$1\$" | head -n 1)" key Escape
}

# answer_selection N COMMAND...: a new selection answered by COMMAND prints "selected N".
answer_selection() {
  local selected=$1
  shift
  start_demo $ENGLISH select
  "$@" && expect_line "selected $selected" && finish_demo
}

SELECTION="Select Quorlin device"
PROGRESS=(--has 1007 "Update Firmware")
RETRY=(--has 4 "Update Firmware")
MESSAGE=(--has 65535 "Update Firmware")

selection_lists_the_displays_in_order_and_answers_the_choice() {
  start_demo $ENGLISH select
  expect_equal "$(printf '0\t0\t*\tSelvar 40 (SEL0421) at COM3\n1\t1\t\tVantra at USB-HID')" \
    "$(winui items "$SELECTION" 1010)" || return 1
  expect_equal "More than one Quorlin device found. Please select the device, you want to update. " \
    "$(winui text "$SELECTION" -1)" || return 1
  shot selection-en 12 "$SELECTION" || return 1
  winui select "$SELECTION" 1010 1 && winui press "$SELECTION" 1 || return 1
  expect_line "selected 1" && finish_demo || return 1
  # Continue takes the preselected display; Finish, the close box and Escape none.
  answer_selection 0 winui press "$SELECTION" 1 && answer_selection -1 winui press "$SELECTION" 2 &&
    answer_selection -1 winui close "$SELECTION" && answer_selection -1 escape "$SELECTION"
}

progress_shows_what_the_worker_reports() {
  start_demo $ENGLISH progress
  expect_equal "Selvar 40 (SEL0421) at COM3" "$(winui text "${PROGRESS[@]}" 1006)" || return 1
  # Reported before the dialog opened.
  expect_equal "Counting firmware files..." "$(winui text "${PROGRESS[@]}" 1007)" || return 1
  winui wait-position "${PROGRESS[@]}" 1004 5 || return 1

  send "status 139" "percent 42"
  winui wait-text "${PROGRESS[@]}" 1007 "Sending firmware data…" || return 1
  winui wait-position "${PROGRESS[@]}" 1004 42 || return 1
  shot progress-en 12 "${PROGRESS[@]}" || return 1

  # The retry question is modal to the dialog.
  send retry
  expect_equal "Error while sending. Please check, if the target device is showing an error message. If so, press ESC till no error message is shown. Do you want to start sending again?" \
    "$(winui text "${RETRY[@]}" 65535)" || return 1
  has_style "$(winui styles "${PROGRESS[@]}")" 0x08000000 || return 1 # WS_DISABLED
  shot retry-en 60 "${RETRY[@]}" || return 1
  winui press "${RETRY[@]}" 4 && expect_line "retry yes" || return 1
  send retry
  winui press "${RETRY[@]}" 2 && expect_line "retry no" || return 1

  send "status 141" "percent 250"
  winui wait-text "${PROGRESS[@]}" 1007 "Sending message file..." || return 1
  winui wait-position "${PROGRESS[@]}" 1004 100 || return 1
  send "end 0"
  expect_line "result 0" && no_line "cancel on the dialog's thread" && finish_demo
}

progress_cancel_and_an_end_before_it_opened() {
  start_demo $ENGLISH progress
  send "status 139"
  winui wait-text "${PROGRESS[@]}" 1007 "Sending firmware data…" || return 1
  winui press "${PROGRESS[@]}" 2 || return 1
  expect_line "cancel on the dialog's thread" && expect_line "result -1" || return 1
  # The closed dialog answers the worker's retry question with Cancel and ignores the rest.
  send "status 141" "percent 80" "end 0" retry
  expect_line "retry no" && finish_demo || return 1

  start_demo $ENGLISH progress-ended
  expect_line "result 0" && finish_demo
}

message_box_and_question_that_defaults_to_no_and_answers() {
  start_demo $ENGLISH message
  expect_equal "This firmware cannot be transferred to the device with the serial number SEL0421 because it is intended for a different model." \
    "$(winui text "${MESSAGE[@]}" 65535)" || return 1
  shot message-en 12 "${MESSAGE[@]}" || return 1
  winui press "${MESSAGE[@]}" 1 && expect_line closed && finish_demo || return 1

  start_demo $ENGLISH question
  expect_equal "Do you want to update the firmware of Corlet with serial number COR1234?" \
    "$(winui text "${MESSAGE[@]}" 65535)" || return 1
  has_style "$(winui styles "${MESSAGE[@]}" 7)" 0x1 || return 1 # BS_DEFPUSHBUTTON on No
  shot question-en 12 "${MESSAGE[@]}" || return 1
  winui press "${MESSAGE[@]}" 6 && expect_line yes && finish_demo || return 1
  start_demo $ENGLISH question
  winui press "${MESSAGE[@]}" 7 && expect_line no && finish_demo
}

folder_browser_opens_at_the_initial_folder() {
  local browser=(--class '#32770' "Browse for Folder")
  # In a fresh Wine prefix the browser's very first selection of a folder the prefix did not
  # create itself can get lost (a fault of Wine's browser); a system folder goes first.
  local folder
  for folder in 'C:\windows' 'C:\Firmware Übung\Corlet'; do
    start_demo $ENGLISH folder "$folder"
    expect_equal "Select directory with firmware files" \
      "$(winui text "${browser[@]}" 14146)" || return 1
    winui press "${browser[@]}" 1 && expect_line "folder $folder" && finish_demo || return 1
  done
  start_demo $ENGLISH folder
  winui press "${browser[@]}" 2 && expect_line cancelled && finish_demo
}

# The German resources and texts: labels, a list entry, a status and a message.
german_dialogs() {
  local selection="Quorlin Gerät auswählen" progress=(--has 1007 "Firmware übertragen")
  local message=(--has 65535 "Firmware übertragen")
  start_demo $GERMAN select
  expect_equal "$(printf '0\t0\t*\tSelvar 40 (SEL0421) an COM3\n1\t1\t\tVantra an USB-HID')" \
    "$(winui items "$selection" 1010)" || return 1
  expect_equal "&Weiter B&eenden" "$(winui text "$selection" 1) $(winui text "$selection" 2)" ||
    return 1
  shot selection-de 12 "$selection" || return 1
  winui press "$selection" 2 && expect_line "selected -1" && finish_demo || return 1

  start_demo $GERMAN progress
  send "status 152"
  winui wait-text "${progress[@]}" 1007 "Der Braille-Prozessor wird aktualisiert..." || return 1
  shot progress-de 12 "${progress[@]}" || return 1
  send "end -1"
  expect_line "result -1" && no_line "cancel on the dialog's thread" && finish_demo || return 1

  start_demo $GERMAN message
  expect_equal "Diese Firmware kann nicht auf das Gerät mit der Seriennummer SEL0421 übertragen werden, da sie für ein anderes Modell bestimmt ist." \
    "$(winui text "${message[@]}" 65535)" || return 1
  shot message-de 12 "${message[@]}" || return 1
  winui press "${message[@]}" 1 && expect_line closed && finish_demo
}

run_case selection_lists_the_displays_in_order_and_answers_the_choice
run_case progress_shows_what_the_worker_reports
run_case progress_cancel_and_an_end_before_it_opened
run_case message_box_and_question_that_defaults_to_no_and_answers
run_case folder_browser_opens_at_the_initial_folder
run_case german_dialogs

summary
