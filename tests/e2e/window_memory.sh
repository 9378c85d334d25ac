#!/usr/bin/env bash
# A million real pointer moves over the window, sent through XTest at about
# a hundred times a real mouse's rate: the program's resident memory must
# settle, not grow with the number of moves.
#   window_memory.sh TAVRIN XTEST_MOTION CLOSE_REQUEST
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -u
tavrin=$1 xtest_motion=$2 close_request=$3

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool

start_xvfb 291 340 1280x1024
start_program "$tavrin"
eval "$(xdotool getwindowgeometry --shell "$window")"

rss() { awk '/^VmRSS/ {print $2}' "/proc/$app_pid/status"; }
start=$(rss) half=
# 500 moves, then a pause of three milliseconds: bursts far beyond any real
# device (still some 150,000 moves a second), paced so that the test
# measures the program, not a backlog of events queued in its X library. At
# one millisecond a busy machine let that queue grow by megabytes at
# random, in the second half as often as in the first.
while read -r what count _; do
  [ "$what" = moves ] && [ "$count" -eq 500000 ] && half=$(rss)
done < <("$xtest_motion" 1000000 "$((X + 50))" "$((Y + 50))" 600 700 500 100000 3000)
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "the program ended during the moves"
end=$(rss)
echo "memory: ${start} kB at the start, ${half} kB after 500,000 moves, ${end} kB after 1,000,000"
[ -n "$half" ] || fail "the moves were not all sent"
[ "$end" -le $((half + 1024)) ] || fail "resident memory still grew by $((end - half)) kB over the second half"

close_and_expect_exit "$close_request"
echo "window memory: settled over a million pointer moves"
