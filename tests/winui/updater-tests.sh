#!/usr/bin/env bash
# QuorlinUpdater.exe end to end: the program as a user starts it (the firmware folder on the
# command line), against displays of quorlin-emulator on ptys that Wine maps to COM7 and COM8,
# its dialogs worked by winui.exe as a user would. Each case checks the texts the program shows
# and what the display received. Needs an X display (Xvfb) and the Wine environment of
# scripts/lib/setup.sh:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" tests/winui/updater-tests.sh BUILD_WIN EMULATOR \
#     PACKAGE SCREENSHOTS
#
# PACKAGE is the Corlet example package; a small part of it is sent. Prints "PASS name" or
# "FAIL name: why" for each case and ends with "N passed, N failed"; keeps screenshots of the
# progress dialog and of the final message in both languages in the folder SCREENSHOTS.
set -u

WIN=$1
EMULATOR=$2
EXAMPLE=$3
SHOTS=$4
# shellcheck source=tests/winui/cases.sh
source "$(dirname "$0")/cases.sh"
CASE_CLEANUP=stop_all

# The first firmware bank, the message file and the Braille table: the protocol's pauses, not
# the bytes, take the time. The whole command line is the folder, quotes included: this one
# needs none.
PACKAGE="$WINEPREFIX/drive_c/QuorlinPaket"
rm -rf "$PACKAGE"
mkdir -p "$PACKAGE"
cp "$EXAMPLE/COR.H00" "$EXAMPLE/MSG.QSF" "$EXAMPLE/Example.jbt" "$PACKAGE/"
FOLDER='C:\QuorlinPaket'

# With a command line the last folder is neither read nor written.
LAST_FOLDER='HKCU\Software\Quorlin\Updater'
wine reg delete "$LAST_FOLDER" /f >/dev/null 2>&1

CORLET="model=114,version=3,serial=COR-22-00417"
VANTRA="model=84,version=0x0103,serial=VAN-17-00815,firmware=3.12"

# start_displays SETTINGS...: one emulated display for each SETTINGS, on COM7, COM8, ...
start_displays() {
  local arguments=() port=7 links=() settings
  for settings in "$@"; do
    links+=("$WINEPREFIX/dosdevices/com$port")
    arguments+=(--display "$settings,link=${links[-1]}")
    port=$((port + 1))
  done
  rm -f "${links[@]}"
  # --reset-parity: Wine's SetCommState refuses a second odd-parity request on a pty.
  "$EMULATOR" --contents --reset-parity "${arguments[@]}" >"$WORK/emulator" 2>&1 &
  DISPLAYS=$!
  for _ in $(seq 50); do
    ls -- "${links[@]}" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "quorlin-emulator did not start: $(cat "$WORK/emulator")"
  return 1
}

# Ends the displays; prints what they received. Not in a subshell: only this shell can wait for
# the emulator to have written its report.
stop_displays() {
  [ -n "${DISPLAYS:-}" ] || return 0
  kill -INT "$DISPLAYS" 2>/dev/null
  wait "$DISPLAYS" 2>/dev/null
  DISPLAYS=
  cat "$WORK/emulator"
}

# start_updater LOCALE: QuorlinUpdater.exe with the package folder as its command line.
start_updater() {
  # The list of COM ports is a volatile key that lives only as long as the wineserver: written
  # anew for each run, without the ports Wine found itself.
  local serialcomm='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' port
  wine reg delete "$serialcomm" /va /f >/dev/null 2>&1
  for port in 7 8; do
    wine reg add "$serialcomm" /v "QrTest$port" /t REG_SZ /d "COM$port" /f >/dev/null || return 1
  done
  LC_ALL=$1 LANG=$1 timeout -k 5 150 wine "$WIN/app/QuorlinUpdater.exe" "$FOLDER" \
    >/dev/null 2>&1 &
  UPDATER=$!
}

# The updater ends (with 1, whatever the outcome) within 30 s: Wine's own exit can take seconds
# on a loaded machine.
finish_updater() {
  timeout 30 tail --pid="$UPDATER" -f /dev/null || {
    echo "the updater still runs"
    return 1
  }
  wait "$UPDATER"
  local code=$?
  UPDATER=
  expect_equal 1 "$code"
}

stop_all() {
  [ -n "${WATCH:-}" ] && kill "$WATCH" 2>/dev/null
  [ -n "${UPDATER:-}" ] && kill "$UPDATER" 2>/dev/null && wait "$UPDATER" 2>/dev/null
  stop_displays >/dev/null
}

# watch_status CAPTION: records every status text of the progress dialog into $WORK/status.
watch_status() {
  winui --timeout 120000 --has 1007 watch "$1" 1007 >"$WORK/status" 2>&1 &
  WATCH=$!
}

# The watch ends with the dialog; the statuses it saw include the lines given, in this order.
# Leave out statuses shown for less than a second or so, which a watch that looks every 50 ms
# may miss on a busy machine: the search for the display takes about as long as one look.
expect_statuses() {
  wait "$WATCH" || {
    echo "watch failed: $(cat "$WORK/status")"
    return 1
  }
  WATCH=
  # Each expected line after the one before it.
  WANT=$(printf '%s\n' "$@") awk 'BEGIN { count = split(ENVIRON["WANT"], lines, "\n"); next_line = 1 }
    next_line <= count && $0 == lines[next_line] { next_line++ }
    END { exit next_line <= count }' "$WORK/status" && return 0
  echo "statuses not seen in this order: $*; seen: $(tr '\n' '|' <"$WORK/status")"
  return 1
}

expect_contains() {
  grep -qF -- "$2" <<<"$1" && return 0
  printf 'expected "%s" in: %s\n' "$2" "$(tr '\n' '|' <<<"$1")"
  return 1
}

CAPTION="Update Firmware"
PROGRESS=(--has 1007 "$CAPTION")
QUESTION=(--has 65535 "$CAPTION")
# The final message has an OK button (1), the progress dialog that may still close has none.
MESSAGE=(--has 1 "$CAPTION")

one_display_is_updated() {
  start_displays "$CORLET" || return 1
  start_updater $ENGLISH || return 1
  expect_equal "Do you want to update the firmware of Corlet with serial number COR-22-00417?" \
    "$(winui --timeout 30000 text "${QUESTION[@]}" 65535)" || return 1
  winui press "${QUESTION[@]}" 6 || return 1
  watch_status "$CAPTION"
  expect_equal "Corlet (COR-22-00417) at COM7" "$(winui text "${PROGRESS[@]}" 1006)" || return 1
  winui --timeout 60000 wait-text "${PROGRESS[@]}" 1007 "Sending firmware data…" || return 1
  shot updater-progress-en 12 "${PROGRESS[@]}" || return 1
  expect_equal "Sending firmware data complete." \
    "$(winui --timeout 120000 text "${MESSAGE[@]}" 65535)" || return 1
  shot updater-complete-en 12 "${MESSAGE[@]}" || return 1
  expect_statuses "Switching to EPROM mode..." "Erasing flash memory..." \
    "Sending firmware data…" "Sending message file..." "Sending Braille table…" || return 1
  winui press "${MESSAGE[@]}" 1 || return 1
  finish_updater || return 1
  if wine reg query "$LAST_FOLDER" /v lastUpdaterPath >/dev/null 2>&1; then
    echo "the folder of the command line went into the registry"
    return 1
  fi
  stop_displays >"$WORK/contents"
  local contents
  contents=$(<"$WORK/contents")
  expect_contains "$contents" "  firmware: flash bank 0, 65 Intel HEX records" &&
    expect_contains "$contents" "  file: MSG.QSF, 125 bytes" &&
    expect_contains "$contents" '  Braille table: slot 1, "Example" (current)'
}

two_displays_the_selected_one_is_taken_and_cancel_aborts() {
  local selection="Select Quorlin device"
  start_displays "$VANTRA" "$CORLET" || return 1
  start_updater $ENGLISH || return 1
  winui --timeout 30000 find "$selection" || return 1
  expect_equal "$(printf '0\t0\t*\tVantra (VAN-17-00815) at COM7\n1\t1\t\tCorlet (COR-22-00417) at COM8')" \
    "$(winui items "$selection" 1010)" || return 1
  winui select "$selection" 1010 1 && winui press "$selection" 1 || return 1
  # No question after the choice: the progress dialog comes next.
  expect_equal "Corlet (COR-22-00417) at COM8" "$(winui text "${PROGRESS[@]}" 1006)" || return 1
  winui --timeout 30000 wait-text "${PROGRESS[@]}" 1007 "Erasing flash memory..." || return 1
  winui press "${PROGRESS[@]}" 2 || return 1
  expect_equal "Error during sending firmware data. File transfer aborted. " \
    "$(winui --timeout 60000 text "${MESSAGE[@]}" 65535)" || return 1
  winui press "${MESSAGE[@]}" 1 || return 1
  finish_updater
}

german_update_cancelled() {
  local caption="Firmware übertragen"
  local progress=(--has 1007 "$caption") question=(--has 65535 "$caption")
  local message=(--has 1 "$caption")
  start_displays "$CORLET" || return 1
  start_updater $GERMAN || return 1
  expect_equal "Möchten Sie die Firmware der Corlet mit der Seriennummer COR-22-00417 aktualisieren?" \
    "$(winui --timeout 30000 text "${question[@]}" 65535)" || return 1
  winui press "${question[@]}" 6 || return 1
  watch_status "$caption"
  expect_equal "Corlet (COR-22-00417) an COM7" "$(winui text "${progress[@]}" 1006)" || return 1
  winui --timeout 30000 wait-text "${progress[@]}" 1007 "Flash-Speicher wird gelöscht..." ||
    return 1
  shot updater-progress-de 12 "${progress[@]}" || return 1
  winui press "${progress[@]}" 2 || return 1
  expect_equal "Fehler beim Senden der Firmwaredaten. Die Dateiübertragung wurde abgebrochen. " \
    "$(winui --timeout 60000 text "${message[@]}" 65535)" || return 1
  shot updater-aborted-de 12 "${message[@]}" || return 1
  expect_statuses "Wechsel in den EPROM-Modus..." "Flash-Speicher wird gelöscht..." || return 1
  winui press "${message[@]}" 1 || return 1
  finish_updater
}

run_case one_display_is_updated
run_case two_displays_the_selected_one_is_taken_and_cancel_aborts
run_case german_update_cancelled

summary
