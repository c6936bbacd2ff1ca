# What the Windows screen tests share; sourced by dialog-tests.sh and updater-tests.sh, which
# define `winui`, SHOTS and CASE_CLEANUP (the function that stops what a failed case left
# running).

passed=0
failed=0

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
  local name=$1
  local output
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
