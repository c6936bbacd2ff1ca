#!/usr/bin/env bash
# Records the port traces the tests replay into tests/data/traces: a whole update of an older
# display (a Corlet, over a pty, from three files of examples/corlet) and of a current one (a
# Vantra, on the emulated USB-HID bus, from the main firmware in tests/data/traces/vantra).
# Rerun it after a deliberate change to what goes on the wire. Takes about a minute and a half,
# in real time.
set -u
source "$(dirname "$0")/lib/setup.sh"
cd "$ROOT"
out=$ROOT/tests/data/traces

configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
log "building quorlin-updater, quorlin-emulator and hid_update_bench"
cmake --build "$BUILD/linux" --target quorlin-updater quorlin-emulator hid_update_bench \
  >"$BUILD/traces.build.log" 2>&1 || {
  tail -n 60 "$BUILD/traces.build.log" >&2
  exit 1
}

make_work_folder
mkdir -p "$out" "$WORK/corlet"
for name in COR.H00 MSG.QSF Example.jbt; do cp "examples/corlet/$name" "$WORK/corlet/"; done

log "recording a Corlet's update over a pty"
start_emulator "$WORK/tty" --display "model=114,version=3,link=$WORK/tty" || exit 1
LANG=C XDG_CONFIG_HOME=$WORK "$BUILD/linux/app/quorlin-updater" --port "$WORK/tty" --no-usb \
  --yes --trace "$out/corlet-com.trace" "$WORK/corlet" >"$WORK/corlet.txt" 2>&1 || {
  cat "$WORK/corlet.txt" >&2
  exit 1
}

log "recording a Vantra's update on the emulated USB-HID bus"
# Main firmware only: a system file's header carries the file's time, which a checkout does not
# keep, so its bytes would differ from the recording's on every other machine.
rm -rf "$out/vantra"
python3 scripts/make-sample-firmware.py --out "$out/vantra" --name VAN --files 1 --bytes 512
"$BUILD/linux/bench/hid_update_bench" "$out/vantra" "$out/vantra-hid.trace" \
  >"$WORK/vantra.txt" 2>&1 || {
  cat "$WORK/vantra.txt" >&2
  exit 1
}
log "recorded: $(ls "$out"/*.trace | tr '\n' ' ')"
