#!/usr/bin/env bash
# The packages as a user gets them, one line "PASS name" or "FAIL name: why" each: the .deb
# installed into this machine with dpkg (as root, through sudo otherwise), its programs run from
# /usr/bin (--list against the packaged emulator), its man pages found, lintian asked, then the
# package removed again; the Windows zip unpacked and its program started under Wine (whose
# prefix and display the caller sets up).
#
#   package-tests.sh PACKAGES_FOLDER
set -u
folder=$(readlink -f "$1")
deb=$(ls "$folder"/quorlin-updater_*_amd64.deb 2>/dev/null | head -n 1)
zip=$(ls "$folder"/quorlin-updater-*-windows.zip 2>/dev/null | head -n 1)
[ -n "$deb" ] && [ -n "$zip" ] || { echo "FAIL packages: none in $1"; exit 1; }
version=$(dpkg-deb -f "$deb" Version)
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
work=$(mktemp -d)
emulator=
cleanup() {
  [ -n "$emulator" ] && kill "$emulator" 2>/dev/null && wait "$emulator" 2>/dev/null
  $sudo dpkg --purge quorlin-updater >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# check NAME COMMAND...: one case.
check() {
  local name=$1 out
  shift
  if out=$("$@" 2>&1); then
    echo "PASS $name"
  else
    echo "FAIL $name: $(tail -n 5 <<<"$out" | tr '\n' '|')"
  fi
}

check "the .deb installs with dpkg" $sudo dpkg -i "$deb"
check "--version tells the package's version" \
  bash -c "[ \"\$(/usr/bin/quorlin-updater --version)\" = 'quorlin-updater $version' ]"
check "--help shows the usage" bash -c "/usr/bin/quorlin-updater --help | grep '^Usage: '"
/usr/bin/quorlin-emulator --display "model=114,version=3,link=$work/tty" >"$work/emulator.txt" 2>&1 &
emulator=$!
for _ in $(seq 50); do [ -L "$work/tty" ] && break; sleep 0.1; done
check "--list finds the packaged emulator's display" bash -c \
  "LANG=C /usr/bin/quorlin-updater --list --no-usb --port '$work/tty' | grep \$'^Corlet\tCOR-22-00417\t'"
check "man finds both pages" bash -c "man -w quorlin-updater && man -w quorlin-emulator"
check "the udev rule, the copyright and the sample package are in place" \
  test -f /usr/lib/udev/rules.d/70-quorlin-displays.rules -a \
  -f /usr/share/doc/quorlin-updater/copyright -a \
  -f /usr/share/doc/quorlin-updater/examples/corlet/COR.H00
check "lintian reports no error" lintian --fail-on error "$deb"
check "the .deb is removed cleanly" bash -c \
  "$sudo dpkg --purge quorlin-updater && ! ls /usr/bin/quorlin-* /usr/share/doc/quorlin-updater"

mkdir "$work/zip"
check "the zip holds the program and its read-me" bash -c \
  "cd '$work/zip' && cmake -E tar xf '$zip' && [ \"\$(ls)\" = \$'QuorlinUpdater.exe\nreadme.txt' ]"
check "the program's version record names the version" python3 -c \
  "import sys; sys.exit('$version'.encode('utf-16-le') not in open('$work/zip/QuorlinUpdater.exe', 'rb').read())"
# Started under Wine it searches for displays at once; its support trace shows that it runs.
QUORLIN_TRACE=$(winepath -w "$work/wine.trace" 2>/dev/null) timeout 60 wine "$work/zip/QuorlinUpdater.exe" >/dev/null 2>&1 &
wine=$!
started() {
  for _ in $(seq 300); do grep -q '^# quorlin port trace' "$work/wine.trace" 2>/dev/null && return; sleep 0.1; done
  return 1
}
check "the zipped program runs under Wine" started
wineserver -k 2>/dev/null
wait "$wine"  # ended by the kill: its status says nothing about the cases
exit 0
