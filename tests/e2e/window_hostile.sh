#!/usr/bin/env bash
# The real program against what a hostile user does to it, under Xvfb:
# no display, a dead display, a bad scale, Ctrl+C and kill, a drag whose
# release happens outside the window, and a drag that leaves the window
# before the press was handled.
#   window_hostile.sh TAVRIN CLOSE_REQUEST
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -u
tavrin=$1 close_request=$2

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool import compare

# Refusals: status and the one line on standard error. The dead display is
# a display number with no server behind it.
refuse() {  # refuse STATUS TEXT COMMAND...
  local want=$1 text=$2 status=0; shift 2
  timeout 10 "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq "$want" ] || fail "'$*' exit status $status, expected $want"
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "$text" "$work/err" \
    || fail "'$*' said: $(cat "$work/err")"
}
dead=":$((RANDOM % 100 + 400))"
while [ -e "/tmp/.X11-unix/X${dead#:}" ]; do dead=":$((RANDOM % 100 + 400))"; done
refuse 1 "no display to open a window on" env -u DISPLAY -u WAYLAND_DISPLAY -u TAVRIN_HEADLESS "$tavrin"
refuse 1 "cannot open the display '$dead'" env -u WAYLAND_DISPLAY -u TAVRIN_HEADLESS DISPLAY="$dead" "$tavrin"
# A Wayland display that cannot be found without XDG_RUNTIME_DIR: our line alone.
refuse 1 "cannot open the display 'wayland-9': XDG_RUNTIME_DIR is not set" \
  env -u DISPLAY -u XDG_RUNTIME_DIR -u TAVRIN_HEADLESS WAYLAND_DISPLAY=wayland-9 "$tavrin"
refuse 2 "scale must be a whole number" "$tavrin" --scale 0
refuse 2 "TAVRIN_SCALE must be a whole number" env TAVRIN_SCALE=x "$tavrin"

start_xvfb 241 290 1280x1024

# Ctrl+C and kill close the window as the user would: status 0, at once.
for sig in INT TERM; do
  start_program "$tavrin"
  kill -s "$sig" "$app_pid"
  for _ in $(seq 30); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "SIG$sig did not end the program within 3 seconds"
  status=0
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "SIG$sig: exit status $status, expected 0"
done

start_program "$tavrin"
eval "$(xdotool getwindowgeometry --shell "$window")"
foot_x=$((X + 400)) foot_y=$((Y + 640))
shot() { sleep 0.5; import -window "$window" "$work/$1.png" 2>/dev/null || fail "screenshot $1 failed"; }
differing() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1; }

# Two drags released outside the window, each entering it from outside:
# afterwards, with no button held, the pointer moves nothing.
xdotool mousemove $((X + 950)) $((Y + 850))
sleep 0.5
for _ in 1 2; do
  xdotool mousemove "$foot_x" "$foot_y" mousedown 1 mousemove 0 0
  sleep 0.4
  xdotool mouseup 1
  sleep 0.3
done
xdotool mousemove $((X + 650)) $((Y + 750))
shot released
xdotool mousemove $((X + 950)) $((Y + 850))
shot moved
[ "$(differing released moved)" = 0 ] || fail "the drag went on after its button was released outside"

# Pressed on the foot and moved out at once, before the press is handled:
# while the button is held, the readout shows the target under the pointer.
xdotool mousemove "$foot_x" "$foot_y" mousedown 1 mousemove 0 "$foot_y"
shot held
[ "$(differing moved held)" != 0 ] || fail "the move out of the window during the press was lost"
xdotool mouseup 1

close_and_expect_exit "$close_request"
echo "window hostile: refusals, signals, drags out of the window all as expected"
