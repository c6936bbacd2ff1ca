# Shared by the README's commands: installing what is missing and configuring the builds.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$ROOT/build

# Debian packages the builds and tests need.
REQUIRED_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool imagemagick x11-utils
  dpkg-dev lintian man-db nlohmann-json3-dev libbrlapi-dev)

log() { printf "== %s %s\n" "$(date +%H:%M:%S)" "$*" >&2; }

ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >"$BUILD/apt.log" 2>&1 || {
    cat "$BUILD/apt.log" >&2
    return 1
  }
}

# configure NAME [cmake options...]: a build folder that survives between runs.
configure() {
  local name=$1
  shift
  if [ ! -f "$BUILD/$name/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD/$name" -G Ninja "$@" >"$BUILD/$name.configure.log" 2>&1 || {
      cat "$BUILD/$name.configure.log" >&2
      return 1
    }
  fi
}

build() {
  local name=$1
  log "building $name"
  cmake --build "$BUILD/$name" >"$BUILD/$name.build.log" 2>&1 || {
    tail -n 60 "$BUILD/$name.build.log" >&2
    return 1
  }
}

# The Wine environment of the Windows build: a throw-away prefix inside the build folder.
wine_env() {
  export WINEPREFIX=$BUILD/win/wineprefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

# What the Windows tests talk to: an X server for their windows (unless one is set already)
# and emulated displays that Wine maps to COM5 (unknown model 0x22, with its control FIFO and
# log) and COM6 (a Vantra). The tests learn about them from QR_WINE_COM, QR_WINE_CONTROL,
# QR_WINE_LOG and QR_WINE_DEVICE_COM.
start_wine_fixtures() {
  if [ -z "${DISPLAY:-}" ]; then
    local number=$BUILD/win/xvfb-display
    rm -f "$number"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$number" >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries=0
    while [ ! -s "$number" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
    [ -s "$number" ] || { log "Xvfb did not start"; return 1; }
    export DISPLAY=:$(cat "$number")
  fi
  export QR_WINE_COM=5
  export QR_WINE_DEVICE_COM=6
  export QR_WINE_CONTROL=$BUILD/win/emulator-control
  export QR_WINE_LOG=$BUILD/results/win-emulator.log
  local link=$WINEPREFIX/dosdevices/com$QR_WINE_COM
  local device=$WINEPREFIX/dosdevices/com$QR_WINE_DEVICE_COM
  rm -f "$link" "$device"
  # --reset-parity: Wine's SetCommState refuses a second odd-parity request on a pty.
  "$BUILD/linux/emulator/quorlin-emulator" --log --reset-parity --control "$QR_WINE_CONTROL" \
    --display "model=0x22,version=0x0102,link=$link" \
    --display "model=84,version=0x0103,serial=VAN-17-00815,firmware=3.12,link=$device" \
    >"$QR_WINE_LOG" 2>&1 &
  EMULATOR_PID=$!
  local tries=0
  while { [ ! -L "$link" ] || [ ! -L "$device" ]; } && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  [ -L "$link" ] && [ -L "$device" ] || { log "quorlin-emulator did not start"; return 1; }
}

stop_wine_fixtures() {
  if [ -n "${EMULATOR_PID:-}" ]; then
    kill "$EMULATOR_PID" 2>/dev/null
    wait "$EMULATOR_PID" 2>/dev/null
    EMULATOR_PID=
  fi
  if [ -n "${XVFB_PID:-}" ]; then
    wineserver -k 2>/dev/null  # Wine's desktop holds the X server
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    unset DISPLAY
  fi
}

# A scratch folder ($WORK) for a script, removed when the script ends, together with the
# emulator that start_emulator started.
make_work_folder() {
  WORK=$(mktemp -d)
  trap 'stop_emulator TERM; rm -rf "$WORK"' EXIT
}

# start_emulator LINK OPTIONS...: quorlin-emulator with OPTIONS in the background, what it prints
# in LINK.out; returns once LINK, the tty of its display, exists.
start_emulator() {
  local link=$1
  shift
  "$BUILD/linux/emulator/quorlin-emulator" "$@" >"$link.out" 2>&1 &
  SCRIPT_EMULATOR=$!
  for _ in $(seq 100); do
    [ -L "$link" ] && return 0
    sleep 0.1
  done
  log "quorlin-emulator did not start"
  cat "$link.out" >&2
  return 1
}

# stop_emulator SIGNAL: ends that emulator (on SIGINT it prints what its displays hold first).
stop_emulator() {
  [ -n "${SCRIPT_EMULATOR:-}" ] || return 0
  kill -"$1" "$SCRIPT_EMULATOR" 2>/dev/null
  wait "$SCRIPT_EMULATOR" 2>/dev/null
  SCRIPT_EMULATOR=
}
