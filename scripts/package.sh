#!/usr/bin/env bash
# Builds what a user installs, into build/packages/: the Debian package of the Linux programs
# (CPack, from the Linux build: both programs, the udev rule, the man pages, the README and the
# sample package) and a zip of the Windows program with a short read-me (from the Windows
# build). Builds what is missing first.
set -u
source "$(dirname "$0")/lib/setup.sh"
cd "$ROOT"
mkdir -p "$BUILD/packages"

ensure_packages "${REQUIRED_PACKAGES[@]}" || exit 1
configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo && build linux || exit 1
configure win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" &&
  build win || exit 1

log "packing the Debian package"
(cd "$BUILD/linux" && cpack -G DEB -B "$BUILD/packages/deb") >"$BUILD/packages/cpack.log" 2>&1 || {
  cat "$BUILD/packages/cpack.log" >&2
  exit 1
}

version=$(sed -n 's/^#define QR_VERSION_TEXT "\(.*\)"/\1/p' "$BUILD/linux/generated/Version.h")
log "packing the Windows zip"
zip=$BUILD/packages/quorlin-updater-$version-windows.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$BUILD/win/app/QuorlinUpdater.exe" "$work/"
# A read-me for Windows: CR LF line ends.
sed -e "s/@PROJECT_VERSION@/$version/" -e 's/$/\r/' packaging/windows-readme.txt >"$work/readme.txt"
rm -f "$zip"
(cd "$work" && cmake -E tar cf "$zip" --format=zip QuorlinUpdater.exe readme.txt) || exit 1
mv "$BUILD/packages/deb"/*.deb "$BUILD/packages/" && ls "$BUILD/packages"/*.deb "$zip"
