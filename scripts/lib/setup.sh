# Shared by the README's commands: installing what is missing and configuring the builds.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$ROOT/build

# Debian packages the builds and tests need.
REQUIRED_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool imagemagick x11-utils)

log() { printf '== %s\n' "$*" >&2; }

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
