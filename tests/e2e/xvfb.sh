# Shared by the window tests: sourced, not run.

# require_tools TOOL...: exits 77 (skipped) when one is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
}

# start_xvfb FIRST LAST SIZE: a private X server on the first free display
# number in FIRST..LAST; sets DISPLAY and xvfb_pid, waits until it answers.
start_xvfb() {
  local n display=
  for n in $(seq "$1" "$2"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  [ -n "$display" ] || { echo "FAIL: no free X display number in $1..$2"; exit 1; }
  Xvfb "$display" -screen 0 "${3}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  unset WAYLAND_DISPLAY TAVRIN_HEADLESS
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && return 0; sleep 0.1; done
}

# The program under test, with a scratch folder: start_program sets work,
# app_pid and window; the trap ends whatever is still running.
work=$(mktemp -d)
xvfb_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# start_program TAVRIN [ARGS...]: runs it and waits for its window. A background job
# of a script starts with SIGINT ignored; the program gets it as it would in
# a terminal.
start_program() {
  env --default-signal=INT "$@" >"$work/app.log" 2>&1 &
  app_pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tavrin FrontView$' | head -n 1)
  [ -n "$window" ] || fail "no window titled 'Tavrin FrontView' appeared"
}

# close_and_expect_exit CLOSE_REQUEST: the window manager's close request
# must end the program with status 0.
close_and_expect_exit() {
  "$1" "$window" || fail "close request not sent"
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the close request"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "exit status $status, expected 0"
}
