#!/usr/bin/env bash
# The demo: installs what is missing, builds the Linux updater and the display emulator, attaches
# an emulated Corlet (one of the older displays) on a pseudo-terminal, updates it from the sample
# package in examples/corlet and shows what the display received. No hardware needed. The
# update takes about a minute and a half: most of it is the pauses the display needs.
set -u
source "$(dirname "$0")/lib/setup.sh"
mkdir -p "$BUILD"
cd "$ROOT"

ensure_packages cmake ninja-build g++ libgtest-dev libgmock-dev || exit 1
configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
log "building quorlin-updater and quorlin-emulator"
cmake --build "$BUILD/linux" --target quorlin-updater quorlin-emulator \
  >"$BUILD/demo.build.log" 2>&1 || {
  tail -n 60 "$BUILD/demo.build.log" >&2
  exit 1
}

make_work_folder
tty=$WORK/corlet
start_emulator "$tty" --contents --display "model=114,version=3,link=$tty" || exit 1
log "an emulated Corlet is attached at $tty"

# The folder on the command line: no folder question, and the user's stored folder stays as it
# is. --yes answers the confirmation; without it the updater asks.
echo "\$ quorlin-updater --port $tty --no-usb --yes examples/corlet"
XDG_CONFIG_HOME=$WORK "$BUILD/linux/app/quorlin-updater" --port "$tty" --no-usb --yes \
  examples/corlet
status=$?
echo "(exit status $status)"

stop_emulator INT
echo
echo "What the emulated display received:"
sed -n '/ holds:$/,$p' "$tty.out"
exit $status
