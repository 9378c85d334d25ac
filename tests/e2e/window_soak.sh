#!/usr/bin/env bash
# Soaks the real program in a real X window: a few thousand random real
# input events (drags in and out of the window, keys, keypad bursts), with
# checks that it keeps answering and that its resident memory stays flat,
# then a close request and exit status 0.
#   window_soak.sh TAVRIN CLOSE_REQUEST [EVENTS]
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -u
tavrin=$1 close_request=$2 events=${3:-3000}

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool

start_xvfb 191 240 1280x1024

start_program "$tavrin"
xdotool windowfocus --sync "$window"

rss() { awk '/^VmRSS/ {print $2}' "/proc/$app_pid/status"; }
# Alive, its window still there, and the events sent so far taken from the
# X queue: xdotool's round trip returns only once the server has them.
answers() { kill -0 "$app_pid" 2>/dev/null && xdotool getwindowname "$window" >/dev/null 2>&1; }

RANDOM=20261210
keys=(Up Down Left Right space a KP_Add KP_Subtract)
batch() {  # batch N: N random events as one xdotool command line
  local cmd=() i
  for ((i = 0; i < $1; i++)); do
    case $((RANDOM % 10)) in
      0|1|2) cmd+=(mousemove $((RANDOM % 1000)) $((RANDOM % 1000))) ;;  # in and around the window at (50, 50)
      3) cmd+=(mousedown 1) ;;
      4) cmd+=(mouseup 1) ;;
      5) cmd+=(click 3) ;;
      6|7|8) cmd+=(key "${keys[$((RANDOM % 6))]}") ;;
      9) cmd+=(key KP_Add key KP_Subtract key KP_Add) ;;
    esac
  done
  cmd+=(mouseup 1)
  xdotool "${cmd[@]}" 2>/dev/null
}

sent=0
rss_start=
while [ "$sent" -lt "$events" ]; do
  batch 50
  sent=$((sent + 50))
  answers || fail "the program stopped answering after $sent events"
  # Resident memory is taken once the first slices have been built.
  [ -z "$rss_start" ] && [ "$sent" -ge 500 ] && { sleep 0.5; rss_start=$(rss); }
done
sleep 1
answers || fail "the program stopped answering at the end"
rss_end=$(rss)
echo "soak: $sent events sent, resident memory ${rss_start} kB -> ${rss_end} kB"
[ "$rss_end" -le $((rss_start + 4096)) ] || fail "resident memory grew by $((rss_end - rss_start)) kB"

xdotool mouseup 1 2>/dev/null
close_and_expect_exit "$close_request"
echo "window soak: the program answered throughout and ended with status 0"
