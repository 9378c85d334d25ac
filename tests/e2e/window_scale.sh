#!/usr/bin/env bash
# The window's scale on X11: never larger than the screen it opens on (a
# factor that does not fit, asked for or chosen, is lowered to the largest
# that fits, with one line saying so), and chosen as desktops ask for
# high-DPI: the Xft.dpi resource, GDK_SCALE, QT_SCALE_FACTOR.
#   window_scale.sh TAVRIN
# Exit 77 (skipped) when Xvfb, xdotool or xprop is missing.
set -u
tavrin=$1

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool xprop

# expect_size WIDTH HEIGHT MESSAGE [ENV...]: the window opens at that outer
# size; MESSAGE, when not empty, is the one line on standard error.
expect_size() {
  local width=$1 height=$2 message=$3; shift 3
  start_program env "$@" "$tavrin"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=
  [ "$WIDTH" -eq "$width" ] && [ "$HEIGHT" -eq "$height" ] || fail "$*: window ${WIDTH}x${HEIGHT}, not ${width}x${height}"
  if [ -n "$message" ]; then
    [ "$(wc -l <"$work/app.log")" -eq 1 ] && grep -qF "$message" "$work/app.log" || fail "$*: said $(cat "$work/app.log")"
  else
    [ -s "$work/app.log" ] && fail "$*: said $(cat "$work/app.log")"
  fi
  return 0
}
# An X server resets, and forgets the resources, when its last client
# leaves: one client stays connected while the server runs.
spy_pid=
restart_xvfb() {  # SIZE
  [ -n "$spy_pid" ] && kill "$spy_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null
  start_xvfb 391 440 "$1"
  xprop -root -spy >/dev/null 2>&1 &
  spy_pid=$!
  sleep 0.3
}
set_resources() {  # TEXT: the RESOURCE_MANAGER property, as xrdb sets it
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$1"
}

restart_xvfb 1600x1900
expect_size 700 850 "" TAVRIN_SCALE=
expect_size 1400 1700 "" TAVRIN_SCALE=2
expect_size 1400 1700 "" GDK_SCALE=2
expect_size 1400 1700 "" QT_SCALE_FACTOR=2.5
set_resources "$(printf 'Xft.antialias:\t1\nXft.dpi:\t192\n')"
expect_size 1400 1700 ""

# 1600 x 1200: a scale of 2 does not fit, asked for or chosen by Xft.dpi.
restart_xvfb 1600x1200
too_big="tavrin: scale 2 makes the window 1400 x 1700, larger than the 1600 x 1200 screen: using scale 1"
expect_size 700 850 "$too_big" TAVRIN_SCALE=2
set_resources "$(printf 'Xft.dpi:\t192\n')"
expect_size 700 850 "$too_big"
kill "$spy_pid" 2>/dev/null
echo "window scale: fitted to the screen and chosen as desktops ask"
