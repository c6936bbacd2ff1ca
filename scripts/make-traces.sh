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

work=$(mktemp -d)
emulator=
cleanup() {
  [ -n "$emulator" ] && kill "$emulator" 2>/dev/null && wait "$emulator" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out" "$work/corlet"
for name in COR.H00 MSG.QSF Example.jbt; do cp "examples/corlet/$name" "$work/corlet/"; done

log "recording a Corlet's update over a pty"
"$BUILD/linux/emulator/quorlin-emulator" --display "model=114,version=3,link=$work/tty" \
  >"$work/emulator.txt" 2>&1 &
emulator=$!
for _ in $(seq 100); do [ -L "$work/tty" ] && break; sleep 0.1; done
LANG=C XDG_CONFIG_HOME=$work "$BUILD/linux/app/quorlin-updater" --port "$work/tty" --no-usb \
  --yes --trace "$out/corlet-com.trace" "$work/corlet" >"$work/corlet.txt" 2>&1 || {
  cat "$work/corlet.txt" >&2
  exit 1
}

log "recording a Vantra's update on the emulated USB-HID bus"
# Main firmware only: a system file's header carries the file's time, which a checkout does not
# keep, so its bytes would differ from the recording's on every other machine.
rm -rf "$out/vantra"
python3 scripts/make-sample-firmware.py --out "$out/vantra" --name VAN --files 1 --bytes 512
"$BUILD/linux/bench/hid_update_bench" "$out/vantra" "$out/vantra-hid.trace" \
  >"$work/vantra.txt" 2>&1 || {
  cat "$work/vantra.txt" >&2
  exit 1
}
log "recorded: $(ls "$out"/*.trace | tr '\n' ' ')"
