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
