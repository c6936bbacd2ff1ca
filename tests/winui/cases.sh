# What the Windows screen tests share; sourced by dialog-tests.sh and updater-tests.sh, which
# set WIN (the Windows build), SHOTS and CASE_CLEANUP (the function that stops what a failed
# case left running).

# The helper's arguments and output are UTF-8 whatever the locale of the program under test.
export LC_ALL=C.UTF-8
ENGLISH=C.UTF-8
GERMAN=de_DE.UTF-8
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$SHOTS"
# Wine draws the windows' frames itself: there is no window manager to do it, and the
# screenshots should show the captions.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

passed=0
failed=0

winui() { wine "$WIN/tests/winui/winui.exe" "$@"; }

expect_equal() {
  [ "$1" == "$2" ] && return 0
  printf 'expected "%s", found "%s"\n' "$1" "$2"
  return 1
}

# shot NAME MARGIN WINDOW...: a screenshot of the window (as winui names it) with MARGIN pixels
# around it.
shot() {
  local name=$1 margin=$2
  shift 2
  local x y width height
  read -r x y width height < <(winui rect "$@") || return 1
  import -window root -crop "$((width + 2 * margin))x$((height + 2 * margin))+$((x - margin))+$((y - margin))" \
    +repage "$SHOTS/$name.png"
}

# run_case FUNCTION: one case in a subshell of its own, cleaned up however it ends.
run_case() {
  local name=$1 output
  if output=$(
    trap "$CASE_CLEANUP" EXIT
    "$name" 2>&1
  ); then
    echo "PASS $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name: $(tr '\n' ' ' <<<"$output")"
    failed=$((failed + 1))
  fi
}

# The last line of a screen-test script, and its exit status.
summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
