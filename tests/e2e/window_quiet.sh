#!/usr/bin/env bash
# The window at rest costs next to nothing: at most two wake-ups a second
# and 2 % of a core over 10 seconds, and at most 40 MB resident. With TAVRIN_SCALE=2 the window is
# twice the size, every pixel is the 1 x frame's pixel doubled, and a drag
# lands where the pointer is.
#   window_quiet.sh TAVRIN FRAME_CHECK
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -u
tavrin=$1 frame_check=$2

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool import convert compare

start_xvfb 341 390 1600x1900
start_program "$tavrin"
sleep 1
# CPU time depends on what else the machine runs; how often the program
# wakes does not. An idle window sleeps until input comes: a loop that
# polls shows in its wake-ups, one that spins in its CPU time.
ticks() { awk '{print $14 + $15}' "/proc/$app_pid/stat"; }
wakeups() { cat /proc/"$app_pid"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }
hz=$(getconf CLK_TCK)
before=$(ticks) woke=$(wakeups)
sleep 10
used=$(( $(ticks) - before )) woke=$(( $(wakeups) - woke ))
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$app_pid/status")
echo "idle: $used ticks of $((10 * hz)) and $woke wake-ups in 10 s, ${rss} kB resident"
[ "$woke" -le 20 ] || fail "idle window woke $woke times in 10 s, more than twice a second"
[ "$used" -le $((10 * hz * 2 / 100)) ] || fail "idle window used $used ticks in 10 s, more than 2 % of a core"
[ "$rss" -le 40960 ] || fail "idle window holds ${rss} kB, more than 40 MB"
import -window "$window" "$work/one.png" 2>/dev/null || fail "screenshot at scale 1 failed"
kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=

TAVRIN_SCALE=2 start_program "$tavrin"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 1400 ] && [ "$HEIGHT" -eq 1700 ] || fail "scale 2 window is ${WIDTH}x${HEIGHT}, not 1400x1700"
sleep 0.5
import -window "$window" "$work/two.png" 2>/dev/null || fail "screenshot at scale 2 failed"
convert "$work/one.png" -sample 200% "$work/doubled.png"
differing=$(compare -metric AE "$work/doubled.png" "$work/two.png" null: 2>&1 | cut -d' ' -f1)
[ "$differing" = 0 ] || fail "$differing pixels at scale 2 are not the 1 x frame doubled"

# Drag the foot from frame pixel (400, 625) to (400, 640): screen pixels twice that.
xdotool mousemove $((X + 800)) $((Y + 1250)) mousedown 1
xdotool mousemove $((X + 800)) $((Y + 1265))
xdotool mousemove $((X + 800)) $((Y + 1280)) sleep 0.3 mouseup 1
sleep 0.5
import -window "$window" "$work/drag.png" 2>/dev/null || fail "screenshot after the drag failed"
convert "$work/drag.png" -sample 50% -depth 8 "$work/drag.ppm"
"$frame_check" "$work/drag.ppm" 0 400 639 || fail "at scale 2 the drag did not land under the pointer"
echo "window quiet: idle, footprint and scale 2 as expected"
