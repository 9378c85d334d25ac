#!/usr/bin/env bash
# Takes the README's picture: starts the built program under a private
# Xvfb display, drags the foot to a bent pose, and saves the window as PNG.
#   scripts/screenshot.sh [OUTPUT.png [PROGRAM ARGS...]]
# (default docs/tavrin-frontview.png; the arguments go to the program, such
# as --leg legs/example.toml --angles).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/tavrin-frontview.png}
shift || true
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is not installed" >&2; exit 1; }
done
[ -x build/tavrin ] || { echo "screenshot.sh: build/tavrin is missing; run make build first" >&2; exit 1; }

display=:97
Xvfb "$display" -screen 0 1024x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
unset WAYLAND_DISPLAY TAVRIN_HEADLESS
sleep 1
build/tavrin "$@" &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tavrin FrontView' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# Drag the foot from its start at (400, 625), where every leg starts, to a
# bent pose at (505, 520).
xdotool mousemove $((X + 400)) $((Y + 624)) mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove $((X + 400 + 21 * step)) $((Y + 624 - 21 * step))
done
xdotool mouseup 1
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "saved $out"
