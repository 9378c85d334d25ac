#!/usr/bin/env bash
# Runs the SDL2 smoke program in a fresh virtual X display.
# Exit 77 (skipped) when xvfb-run is missing.
command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run is not installed"; exit 77; }
unset WAYLAND_DISPLAY TAVRIN_HEADLESS
# In sanitizer builds, leaks inside the system libraries SDL2 uses are not ours.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec timeout 50 xvfb-run -a -s "-screen 0 1280x1024x24" "$1"
