#!/usr/bin/env bash
# The window on Wayland, where SDL has no plain window surface and the
# compositor may scale its output: in a nested Weston with an output scale
# of 2 the window must show, every pixel must be the 1 x frame's pixel
# doubled, and a drag must land where the pointer is. An asked scale counts
# output pixels there too: TAVRIN_SCALE=2 is the same 2 x 2 blocks, not
# 4 x 4, and TAVRIN_SCALE=8, which the output cannot hold, is lowered to
# what fits with one line, costing no more memory than the output's own
# scale does.
#   window_wayland.sh TAVRIN FRAME_CHECK
# Exit 77 (skipped) when Weston, Xvfb, xdotool or ImageMagick is missing.
set -u
tavrin=$1 frame_check=$2

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool import convert compare weston

# The top left corner of the box around every pixel of a colour, as "X Y";
# nothing when there is none.
corner_of() {  # IMAGE HEX
  convert "$1" -fill black +opaque "#$2" -format '%@' info: 2>/dev/null |
    sed -nE 's/^[1-9][0-9]*x[0-9]+\+([0-9]+)\+([0-9]+)$/\1 \2/p'
}

start_xvfb 441 490 3000x2000
# The 1 x frame, shown directly by X11, and where its two axes start.
start_program "$tavrin"
sleep 0.5
import -window "$window" "$work/one.png" 2>/dev/null || fail "screenshot at scale 1 failed"
kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=
read -r red_x red_y <<<"$(corner_of "$work/one.png" FF0000)"
read -r blue_x blue_y <<<"$(corner_of "$work/one.png" 0000FF)"
[ -n "$red_y" ] && [ -n "$blue_x" ] || fail "no axes in the 1 x frame"

# Weston in a window of that X server: 2800 x 1900 pixels, 1400 x 950 points.
export XDG_RUNTIME_DIR=$work/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --no-config --width=1400 --height=950 --scale=2 \
  --socket=tavrin-test --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
trap 'kill "$weston_pid" 2>/dev/null; cleanup' EXIT
output=$(timeout 20 xdotool search --sync --onlyvisible --class '^Weston Compositor$' | head -n 1)
[ -n "$output" ] || fail "Weston did not start: $(tail -n 3 "$work/weston.log")"
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/tavrin-test" ] && break; sleep 0.1; done
eval "$(xdotool getwindowgeometry --shell "$output")"
# The pointer off to the output's bottom right corner, away from the window,
# coming in from outside Weston's window: its X11 backend only follows the
# pointer once it has seen it cross in. Before that a move may leave it at
# the output's corner, on the panel's terminal launcher, where the drag's
# press would start a terminal over the window.
xdotool mousemove $((X + WIDTH + 50)) $((Y + HEIGHT + 50)) sleep 0.3 mousemove $((X + 2790)) $((Y + 1890))

# show_on_wayland NAME [ENV...]: runs the program on the nested output until
# both axes show, keeps the settled output in $work/NAME.png, and sets left
# and top, where the client area's corner is if the frame is doubled.
show_on_wayland() {
  local name=$1 shown= red2_x red2_y blue2_x blue2_y; shift
  env -u DISPLAY --default-signal=INT WAYLAND_DISPLAY=tavrin-test "$@" "$tavrin" >"$work/app.log" 2>&1 &
  app_pid=$!
  SECONDS=0
  while [ "$SECONDS" -lt 20 ]; do
    sleep 0.2
    kill -0 "$app_pid" 2>/dev/null || fail "$*: the program ended: $(tail -n 3 "$work/app.log")"
    import -window "$output" "$work/$name.png" 2>/dev/null || continue
    read -r red2_x red2_y <<<"$(corner_of "$work/$name.png" FF0000)"
    read -r blue2_x blue2_y <<<"$(corner_of "$work/$name.png" 0000FF)"
    [ -n "$red2_y" ] && [ -n "$blue2_x" ] && { shown=yes; break; }
  done
  [ -n "$shown" ] || fail "$*: the window never showed on Wayland"
  sleep 0.5
  import -window "$output" "$work/$name.png" 2>/dev/null || fail "$*: screenshot on the scale 2 output failed"
  left=$((blue2_x - 2 * blue_x)) top=$((red2_y - 2 * red_y))
}

# expect_doubled NAME WHAT: the client area in $work/NAME.png is the 1 x
# frame with every pixel as 2 x 2.
expect_doubled() {
  convert "$work/$1.png" -crop "1400x1700+$left+$top" +repage "$work/client.png"
  local differing
  differing=$(compare -metric AE "$work/doubled.png" "$work/client.png" null: 2>&1 | cut -d' ' -f1)
  [ "$differing" = 0 ] || fail "$2: $differing pixels on the scale 2 output are not the 1 x frame doubled"
}

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$app_pid/status"; }
stop_program() { kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=; }

convert "$work/one.png" -sample 200% "$work/doubled.png"
show_on_wayland two TAVRIN_SCALE=
expect_doubled two "the output's own scale"
own_scale_rss=$(rss_kb)

# Drag the foot from frame pixel (400, 625) to (400, 640): output pixels twice that.
xdotool mousemove $((X + left + 800)) $((Y + top + 1250)) mousedown 1
xdotool mousemove $((X + left + 800)) $((Y + top + 1265))
xdotool mousemove $((X + left + 800)) $((Y + top + 1280)) sleep 0.3 mouseup 1
xdotool mousemove $((X + 2790)) $((Y + 1890)) sleep 0.5
import -window "$output" "$work/drag.png" 2>/dev/null || fail "screenshot after the drag failed"
convert "$work/drag.png" -crop "1400x1700+$left+$top" +repage -sample 50% -depth 8 "$work/drag.ppm"
"$frame_check" "$work/drag.ppm" 0 400 639 || fail "on Wayland the drag did not land under the pointer"
stop_program

# Asked for 2, the window is 700 x 850 points, as without: it fits the
# 1400 x 950 points, so nothing is said.
show_on_wayland scale2 TAVRIN_SCALE=2
expect_doubled scale2 TAVRIN_SCALE=2
stop_program
[ -s "$work/app.log" ] && fail "TAVRIN_SCALE=2: said $(cat "$work/app.log")"

# Asked for 8, 2800 x 3400 points would not fit: the largest factor that
# does is 2, said once in output pixels. Its memory is then that of the
# output's own scale: runs differ by about 10 MB, while the window one
# factor larger (4, on a taller output) holds some 130 MB more, and one of
# the asked size more still.
show_on_wayland scale8 TAVRIN_SCALE=8
expect_doubled scale8 TAVRIN_SCALE=8
scale8_rss=$(rss_kb)
stop_program
lowered="tavrin: scale 8 makes the window 5600 x 6800, larger than the 2800 x 1900 screen: using scale 2"
[ "$(wc -l <"$work/app.log")" -eq 1 ] && grep -qF "$lowered" "$work/app.log" ||
  fail "TAVRIN_SCALE=8: said $(cat "$work/app.log")"
echo "resident memory: ${own_scale_rss} kB at the output's own scale, ${scale8_rss} kB asked for 8"
[ "$scale8_rss" -le $((own_scale_rss + 51200)) ] ||
  fail "TAVRIN_SCALE=8 holds ${scale8_rss} kB, more than the ${own_scale_rss} kB of the output's own scale"
echo "window on Wayland: shown, scaled by the output and under the pointer as expected; asked scales in output pixels"
