#!/usr/bin/env bash
# Drives the real program in a real X window under Xvfb with real input:
# checks the first frame, a drag, a keypad plus, and that a window-manager
# close request ends the program with status 0.
#   window_e2e.sh TAVRIN FRAME_CHECK CLOSE_REQUEST
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -u
tavrin=$1 frame_check=$2 close_request=$3

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool import convert

start_xvfb 90 140 1280x1024

start_program "$tavrin"

# Client-area origin of the window on the screen, for pointer positions.
eval "$(xdotool getwindowgeometry --shell "$window")"
origin_x=$X origin_y=$Y

shot() {  # shot NAME: the window's pixels as a PPM
  sleep "${2:-0.5}"
  import -window "$window" "$work/$1.png" 2>/dev/null || fail "screenshot $1 failed"
  convert "$work/$1.png" -depth 8 "$work/$1.ppm" || fail "conversion of $1 failed"
  [ -n "${TAVRIN_E2E_KEEP:-}" ] && cp "$work/$1.png" "$TAVRIN_E2E_KEEP-$1.png"
  return 0
}

shot first 1
"$frame_check" "$work/first.ppm" 0 400 624 || fail "first frame"

# Drag the foot from (400, 625) down to client point (400, 640).
xdotool mousemove $((origin_x + 400)) $((origin_y + 620)) mousedown 1
xdotool mousemove $((origin_x + 400)) $((origin_y + 630))
xdotool mousemove $((origin_x + 400)) $((origin_y + 640)) mouseup 1
shot drag
"$frame_check" "$work/drag.ppm" 0 400 639 || fail "after the drag"

# Keypad plus: the depth-1 cloud.
xdotool windowfocus --sync "$window"
xdotool key KP_Add
shot depth 1.5
"$frame_check" "$work/depth.ppm" 1 400 639 || fail "after keypad plus"

close_and_expect_exit "$close_request"
echo "window end-to-end: first frame, drag, keypad plus and close all as expected"
