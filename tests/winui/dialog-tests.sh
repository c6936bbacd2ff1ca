#!/usr/bin/env bash
# The dialog tests of the Windows program: dialogdemo.exe shows each dialog and message box of the
# updater as the updater does, winui.exe works it from the outside as a user would, and each
# case checks what the dialog shows and what the program gets back. English cases run in the
# C locale, German ones in a German Wine locale. Needs an X display (Xvfb) and the Wine
# environment of scripts/lib/setup.sh:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" tests/winui/dialog-tests.sh BUILD_WIN SCREENSHOTS
#
# Prints "PASS name" or "FAIL name: why" for each case and ends with "N passed, N failed";
# keeps a screenshot of every dialog in both languages in the folder SCREENSHOTS.
set -u

BIN=$1/tests/winui
SHOTS=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$SHOTS"

# The helper's arguments and output are UTF-8 whatever the locale of the program under test.
export LC_ALL=C.UTF-8
ENGLISH=C.UTF-8
GERMAN=de_DE.UTF-8

# Wine draws the windows' frames itself: there is no window manager to do it, and the
# screenshots should show the captions.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
FOLDER="$WINEPREFIX/drive_c/Firmware Übung/Corlet"
mkdir -p "$FOLDER"

winui() { wine "$BIN/winui.exe" "$@"; }

# shellcheck source=tests/winui/cases.sh
source "$(dirname "$0")/cases.sh"
CASE_CLEANUP=stop_demo

# start_demo LOCALE MODE [ARGUMENT]: dialogdemo in the background, its input on descriptor 7.
start_demo() {
  local locale=$1
  shift
  rm -f "$WORK/input" "$WORK/output"
  mkfifo "$WORK/input"
  LC_ALL=$locale LANG=$locale timeout -k 5 60 wine "$BIN/dialogdemo.exe" "$@" \
    <"$WORK/input" >"$WORK/output" 2>/dev/null &
  DEMO=$!
  exec 7>"$WORK/input"
}

# Lines for the demo's worker.
send() { printf '%s\n' "$@" >&7; }

# Ends the demo's input and waits for it to end; a demo that is still running is stopped.
finish_demo() {
  exec 7>&-
  [ -n "${DEMO:-}" ] || return 0
  if ! wait "$DEMO"; then
    echo "dialogdemo failed (exit $?)"
    DEMO=
    return 1
  fi
  DEMO=
}

stop_demo() {
  exec 7>&-
  if [ -n "${DEMO:-}" ]; then
    kill "$DEMO" 2>/dev/null
    wait "$DEMO" 2>/dev/null
  fi
}

# expect_line LINE: the demo prints LINE within 10 s.
expect_line() {
  local tries
  for tries in $(seq 100); do
    grep -qxF -- "$1" "$WORK/output" && return 0
    sleep 0.1
  done
  echo "expected \"$1\"; the program printed: $(tr '\n' '|' <"$WORK/output")"
  return 1
}

# no_line LINE: the demo has not printed LINE.
no_line() {
  if grep -qxF -- "$1" "$WORK/output"; then
    echo "unexpected \"$1\""
    return 1
  fi
}

# has_style STYLE HEXMASK: STYLE (as winui prints it) has all bits of the mask.
has_style() {
  local style=${1%% *}
  (((0x$style & $2) == $2)) && return 0
  echo "style $style lacks $2"
  return 1
}

SELECTION="Select Quorlin device"
PROGRESS=(--has 1007 "Update Firmware")
RETRY=(--has 4 "Update Firmware")
MESSAGE=(--has 65535 "Update Firmware")

selection_lists_the_displays_in_order() {
  start_demo $ENGLISH select
  winui find "$SELECTION" || return 1
  expect_equal "$(printf '0\t0\t*\tSelvar 40 (SEL0421) at COM3\n1\t1\t\tVantra at USB-HID')" \
    "$(winui items "$SELECTION" 1010)" || return 1
  expect_equal "More than one Quorlin device found. Please select the device, you want to update. " \
    "$(winui text "$SELECTION" -1)" || return 1
  shot selection-en 12 "$SELECTION" || return 1
  winui select "$SELECTION" 1010 1 && winui press "$SELECTION" 1 || return 1
  expect_line "selected 1" && finish_demo
}

selection_continue_takes_the_preselected_display() {
  start_demo $ENGLISH select
  winui press "$SELECTION" 1 || return 1
  expect_line "selected 0" && finish_demo
}

selection_finish_close_box_and_escape_cancel() {
  start_demo $ENGLISH select
  winui press "$SELECTION" 2 || return 1
  expect_line "selected -1" && finish_demo || return 1

  start_demo $ENGLISH select
  winui close "$SELECTION" || return 1
  expect_line "selected -1" && finish_demo || return 1

  start_demo $ENGLISH select
  winui find "$SELECTION" || return 1
  local window
  window=$(xdotool search --name "^$SELECTION\$" | head -n 1)
  xdotool windowfocus --sync "$window" key Escape || return 1
  expect_line "selected -1" && finish_demo
}

progress_shows_what_the_worker_reports() {
  start_demo $ENGLISH progress
  winui find "${PROGRESS[@]}" || return 1
  expect_equal "Selvar 40 (SEL0421) at COM3" "$(winui text "${PROGRESS[@]}" 1006)" ||
    return 1
  # Reported before the dialog opened.
  expect_equal "Counting firmware files..." "$(winui text "${PROGRESS[@]}" 1007)" ||
    return 1
  expect_equal 5 "$(winui position "${PROGRESS[@]}" 1004)" || return 1

  send "status 139" "percent 42"
  winui wait-text "${PROGRESS[@]}" 1007 "Sending firmware data…" || return 1
  winui wait-position "${PROGRESS[@]}" 1004 42 || return 1
  shot progress-en 12 "${PROGRESS[@]}" || return 1

  # The retry question is modal to the dialog.
  send retry
  winui find "${RETRY[@]}" || return 1
  expect_equal "Error while sending. Please check, if the target device is showing an error message. If so, press ESC till no error message is shown. Do you want to start sending again?" \
    "$(winui text "${RETRY[@]}" 65535)" || return 1
  has_style "$(winui styles "${PROGRESS[@]}")" 0x08000000 || return 1 # WS_DISABLED
  shot retry-en 60 "${RETRY[@]}" || return 1
  winui press "${RETRY[@]}" 4 || return 1
  expect_line "retry yes" || return 1

  send "status 141" "percent 250"
  winui wait-text "${PROGRESS[@]}" 1007 "Sending message file..." || return 1
  winui wait-position "${PROGRESS[@]}" 1004 100 || return 1
  send "end 0"
  winui wait-gone "${PROGRESS[@]}" || return 1
  expect_line "result 0" && no_line "cancel on the dialog's thread" && finish_demo
}

progress_cancel_calls_on_cancel_and_ends_with_minus_one() {
  start_demo $ENGLISH progress
  send "status 139"
  winui wait-text "${PROGRESS[@]}" 1007 "Sending firmware data…" || return 1
  winui press "${PROGRESS[@]}" 2 || return 1
  expect_line "cancel on the dialog's thread" && expect_line "result -1" || return 1
  # The closed dialog answers the worker's retry question with Cancel and ignores the rest.
  send "status 141" "percent 80" "end 0" retry
  expect_line "retry no" && finish_demo
}

progress_ended_before_it_opened() {
  start_demo $ENGLISH progress-ended
  expect_line "result 0" && finish_demo
}

message_box_has_the_caption_and_the_text() {
  start_demo $ENGLISH message
  expect_equal "This firmware cannot be transferred to the device with the serial number SEL0421 because it is intended for a different model." \
    "$(winui text "${MESSAGE[@]}" 65535)" || return 1
  shot message-en 12 "${MESSAGE[@]}" || return 1
  winui press "${MESSAGE[@]}" 1 || return 1
  expect_line closed && finish_demo
}

question_defaults_to_no_and_yes_confirms() {
  start_demo $ENGLISH question
  expect_equal "Do you want to update the firmware of Corlet with serial number COR1234?" \
    "$(winui text "${MESSAGE[@]}" 65535)" || return 1
  has_style "$(winui styles "${MESSAGE[@]}" 7)" 0x1 || return 1 # BS_DEFPUSHBUTTON on No
  shot question-en 12 "${MESSAGE[@]}" || return 1
  winui press "${MESSAGE[@]}" 6 || return 1
  expect_line yes && finish_demo
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
    winui press "${browser[@]}" 1 || return 1
    expect_line "folder $folder" && finish_demo || return 1
  done

  start_demo $ENGLISH folder
  winui press "${browser[@]}" 2 || return 1
  expect_line cancelled && finish_demo
}

german_selection() {
  local caption="Quorlin Gerät auswählen"
  start_demo $GERMAN select
  winui find "$caption" || return 1
  expect_equal "$(printf '0\t0\t*\tSelvar 40 (SEL0421) an COM3\n1\t1\t\tVantra an USB-HID')" \
    "$(winui items "$caption" 1010)" || return 1
  expect_equal "B&eenden" "$(winui text "$caption" 2)" || return 1
  expect_equal "&Weiter" "$(winui text "$caption" 1)" || return 1
  shot selection-de 12 "$caption" || return 1
  winui press "$caption" 2 || return 1
  expect_line "selected -1" && finish_demo
}

german_progress_and_retry_question() {
  local dialog=(--has 1007 "Firmware übertragen")
  local retry=(--has 4 "Firmware übertragen")
  start_demo $GERMAN progress
  winui find "${dialog[@]}" || return 1
  expect_equal "Selvar 40 (SEL0421) an COM3" "$(winui text "${dialog[@]}" 1006)" ||
    return 1
  expect_equal "Firmwaredateien werden gezählt..." \
    "$(winui text "${dialog[@]}" 1007)" || return 1
  send "status 152" "percent 67"
  winui wait-text "${dialog[@]}" 1007 "Der Braille-Prozessor wird aktualisiert..." || return 1
  winui wait-position "${dialog[@]}" 1004 67 || return 1
  shot progress-de 12 "${dialog[@]}" || return 1
  send retry
  expect_equal "Fehler beim Senden. Bitte prüfen Sie, ob das Zielgerät eine Fehlermeldung anzeigt. Falls ja, drücken Sie ESC, bis keine Fehlermeldung mehr angezeigt wird. Möchten Sie das Senden erneut starten?" \
    "$(winui text "${retry[@]}" 65535)" || return 1
  shot retry-de 60 "${retry[@]}" || return 1
  winui press "${retry[@]}" 2 || return 1
  expect_line "retry no" || return 1
  send "end -1"
  expect_line "result -1" && no_line "cancel on the dialog's thread" && finish_demo
}

german_messages() {
  local message=(--has 65535 "Firmware übertragen")
  start_demo $GERMAN message
  expect_equal "Diese Firmware kann nicht auf das Gerät mit der Seriennummer SEL0421 übertragen werden, da sie für ein anderes Modell bestimmt ist." \
    "$(winui text "${message[@]}" 65535)" || return 1
  shot message-de 12 "${message[@]}" || return 1
  winui press "${message[@]}" 1 || return 1
  expect_line closed && finish_demo || return 1

  start_demo $GERMAN question
  expect_equal "Möchten Sie die Firmware der Corlet mit der Seriennummer COR1234 aktualisieren?" \
    "$(winui text "${message[@]}" 65535)" || return 1
  shot question-de 12 "${message[@]}" || return 1
  winui press "${message[@]}" 7 || return 1
  expect_line no && finish_demo
}

run_case selection_lists_the_displays_in_order
run_case selection_continue_takes_the_preselected_display
run_case selection_finish_close_box_and_escape_cancel
run_case progress_shows_what_the_worker_reports
run_case progress_cancel_calls_on_cancel_and_ends_with_minus_one
run_case progress_ended_before_it_opened
run_case message_box_has_the_caption_and_the_text
run_case question_defaults_to_no_and_yes_confirms
run_case folder_browser_opens_at_the_initial_folder
run_case german_selection
run_case german_progress_and_retry_question
run_case german_messages

summary
